#include "layout.h"

namespace Layout {

using K = Kind;

const Element* Window::element(const QString& elementName) const {
    for (const Element& e : elements)
        if (e.name == elementName) return &e;
    return nullptr;
}

namespace {
const QString kIconA = QStringLiteral(":/icon-a.png");
const QString kIconB = QStringLiteral(":/icon-b.png");
const QString kIconC = QStringLiteral(":/icon-c.png");
const char* const kExit = QT_TRANSLATE_NOOP("Layout", "Exit");
const char* const kBack = QT_TRANSLATE_NOOP("Layout", "<--  Back");
const char* const kNext = QT_TRANSLATE_NOOP("Layout", "Next  -->");
} // namespace

// The tables read like the layout sheets they come from, one element a line.
// clang-format off
const Window& splashScreen() {
    static const Window w{
        "SplashScreen", "", WindowFrame::None, 5670, 4215, true, "",
        {
            {"Picture1", K::Picture, ":/splash.jpg", "", 120, 120, 5415, 3975},
            {.name = "Rev", .kind = K::Label, .caption = "", .container = "Picture1", .left = 3840, .top = 3480,
             .width = 1575, .height = 375, .foreground = QColor(0, 0, 0), .background = QColor(255, 255, 255),
             .fontFamily = "Times New Roman", .fontPointSize = 15.75, .bold = true},
            {"Timer", K::Timer, "", "Picture1"},
        }};
    return w;
}

const Window& step1() {
    // The three-button layout; the page starts in the two-button one.
    static const Window w{"Step1", QT_TRANSLATE_NOOP("Layout", "Step 1: Detection of the printer"), WindowFrame::FixedSingle, 5475, 4680, true,
                          kIconA,
                          {
                              {"WebBrowser", K::HelpPane, "", "", 120, 120, 5295, 3495, 2},
                              {"ScanStatus", K::Label, "", "", 480, 3720, 4695, 255, 4},
                              {"Exit", K::Button, kExit, "", 120, 4080, 1575, 495, 3},
                              {"ManualDetect", K::Button, QT_TRANSLATE_NOOP("Layout", "Manual Detection"), "", 1920, 4080, 1575, 495, 1},
                              {"Start", K::Button, QT_TRANSLATE_NOOP("Layout", "Start"), "", 3720, 4080, 1575, 495, 0},
                              {"Timer1", K::Timer, "", ""},
                          }};
    return w;
}

const Window& portSelection() {
    static const Window w{
        "PortSelection", QT_TRANSLATE_NOOP("Layout", "Step 1: Detection of the printer"), WindowFrame::FixedSingle, 5415, 4680, true, kIconB,
        {
            {"WebBrowser", K::HelpPane, "", "", 120, 120, 5175, 1695, 15},
            {"Frame1", K::Frame, QT_TRANSLATE_NOOP("Layout", "Serial Port"), "", 600, 1800, 4095, 2175, 12, QColor(0, 128, 0)},
            {"DetectedPrinter", K::Label, "", "Frame1", 120, 240, 3855, 255, 16, {}, QColor(255, 255, 192)},
            {"COM1", K::Option, QT_TRANSLATE_NOOP("Layout", "COM 1"), "Frame1", 600, 540, 855, 255, 4},
            {"COM2", K::Option, QT_TRANSLATE_NOOP("Layout", "COM 2"), "Frame1", 600, 795, 855, 255, 5},
            {"COM3", K::Option, QT_TRANSLATE_NOOP("Layout", "COM 3"), "Frame1", 600, 1035, 855, 255, 6},
            {"COM4", K::Option, QT_TRANSLATE_NOOP("Layout", "COM 4"), "Frame1", 600, 1290, 975, 255, 7},
            {"COM5", K::Option, QT_TRANSLATE_NOOP("Layout", "COM 5"), "Frame1", 600, 1560, 975, 210, 8},
            {"COM6", K::Option, QT_TRANSLATE_NOOP("Layout", "COM 6"), "Frame1", 600, 1785, 855, 255, 9},
            // The captions above the lists may take the lists' width: nothing stands beside them.
            {.name = "label", .kind = K::Label, .caption = QT_TRANSLATE_NOOP("Layout", "Baudrate:"), .container = "Frame1",
             .left = 2040, .top = 480, .width = 735, .height = 255, .tab = 13, .translatedWidth = 1695},
            {"serialspeed", K::DropDown, "", "Frame1", 2040, 720, 1695, 315, 10},
            {.name = "Label1", .kind = K::Label, .caption = QT_TRANSLATE_NOOP("Layout", "Handshake:"), .container = "Frame1",
             .left = 2040, .top = 1080, .width = 975, .height = 255, .tab = 14, .translatedWidth = 1695},
            {"serialhandshakeconf", K::DropDown, "", "Frame1", 2040, 1320, 1695, 315, 11},
            {"DetectSerialPrinter", K::Button, QT_TRANSLATE_NOOP("Layout", "Detect Printer"), "Frame1", 2040, 1680, 1695, 375, 0},
            {"Exit", K::Button, kExit, "", 120, 4080, 1575, 495, 3},
            {"Back", K::Button, kBack, "", 1920, 4080, 1575, 495, 2},
            {"Next", K::Button, kNext, "", 3720, 4080, 1575, 495, 1},
        }};
    return w;
}

const Window& step2() {
    static const Window w{
        "Step2", QT_TRANSLATE_NOOP("Layout", "Step 2: Opto-sensor selection"), WindowFrame::FixedSingle, 5385, 4650, true, kIconA,
        {
            {"WebBrowser", K::HelpPane, "", "", 120, 120, 5175, 1215, 3},
            {"Frame1", K::Frame, QT_TRANSLATE_NOOP("Layout", "Optosensor selection"), "", 120, 1440, 5175, 1215, 4},
            // The first option may take the width of the one under it: nothing stands beside it.
            {.name = "PrinterOpto", .kind = K::Option, .caption = QT_TRANSLATE_NOOP("Layout", "Printer opto-sensor"),
             .container = "Frame1", .left = 960, .top = 360, .width = 1935, .height = 255, .tab = 5, .translatedWidth = 3255},
            {"NEOPOpto", K::Option, QT_TRANSLATE_NOOP("Layout", "Near End Of Paper opto-sensor"), "Frame1", 960, 720, 3255, 255, 6},
            {"Frame2", K::Frame, QT_TRANSLATE_NOOP("Layout", "Action selection"), "", 120, 2760, 5175, 1215, 7},
            {"Monitor", K::Option, QT_TRANSLATE_NOOP("Layout", "Monitor the opto-sensor"), "Frame2", 960, 360, 3255, 255, 8},
            {"Calibrate", K::Option, QT_TRANSLATE_NOOP("Layout", "Calibrate the opto-sensor"), "Frame2", 960, 720, 3135, 255, 9},
            {"Exit", K::Button, kExit, "", 120, 4080, 1455, 495, 2},
            {"Back", K::Button, kBack, "", 1680, 4080, 1455, 495, 1},
            {"Next", K::Button, kNext, "", 3240, 4080, 1455, 495, 0},
            // No caption on screen; "Help" is what a screen reader announces.
            {.name = "HelpButton", .kind = K::PictureButton, .caption = QT_TRANSLATE_NOOP("Layout", "Help"), .left = 4800, .top = 4080,
             .width = 495, .height = 495, .tab = 10, .picture = ":/help-button.png"},
        }};
    return w;
}

const Window& chanReflectModeFrm() {
    static const Window w{
        "ChanReflectModeFrm", QT_TRANSLATE_NOOP("Layout", "Step 3: Calibration of the opto-sensor"), WindowFrame::FixedDialog, 5445, 4650, true,
        kIconA,
        {
            {"WebBrowser", K::HelpPane, "", "", 120, 120, 5175, 975, 8},
            {"Frame1", K::Frame, "", "", 960, 1200, 1455, 2655, 3},
            {"Picture1", K::Picture, ":/mode-reflective.png", "Frame1", 120, 240, 1215, 2055, 4},
            // The mode options may take their frame's width inside its border.
            {.name = "Reflect", .kind = K::Option, .caption = QT_TRANSLATE_NOOP("Layout", "Reflective"), .container = "Frame1",
             .left = 120, .top = 2350, .width = 1095, .height = 255, .tab = 5, .choice = "SensorMode", .translatedWidth = 1275},
            {"Frame2", K::Frame, "", "", 2880, 1200, 1455, 2655, 6},
            {"Picture2", K::Picture, ":/mode-transmissive.png", "Frame2", 120, 240, 1215, 2055, 7},
            {.name = "Transmit", .kind = K::Option, .caption = QT_TRANSLATE_NOOP("Layout", "Transmitive"), .container = "Frame2",
             .left = 120, .top = 2350, .width = 1215, .height = 255, .tab = 9, .choice = "SensorMode", .translatedWidth = 1275},
            {"Exit", K::Button, kExit, "", 120, 4080, 1575, 495, 1},
            {"Back", K::Button, kBack, "", 1920, 4080, 1575, 495, 2},
            {"Next", K::Button, kNext, "", 3720, 4080, 1575, 495, 0},
        }};
    return w;
}

const Window& step3() {
    static const Window w{"Step3", QT_TRANSLATE_NOOP("Layout", "Step 3: Calibration of the opto-sensor"), WindowFrame::FixedSingle, 5385, 4650,
                          true, kIconA,
                          {
                              {"WebBrowser", K::HelpPane, "", "", 120, 120, 5175, 3855, 3},
                              {"Exit", K::Button, kExit, "", 120, 4080, 1575, 495, 2},
                              {"Back", K::Button, kBack, "", 1920, 4080, 1575, 495, 1},
                              {"Calibrate", K::Button, QT_TRANSLATE_NOOP("Layout", "Calibrate"), "", 3720, 4080, 1575, 495, 0},
                          }};
    return w;
}

const Window& monitorFrm() {
    static const Window w{
        "MonitorFrm", QT_TRANSLATE_NOOP("Layout", "Monitoring the opto-sensors"), WindowFrame::FixedSingle, 5385, 4650, true, kIconA,
        {
            {"Picture1", K::Custom, ":/chart-background.jpg", "", 120, 120, 5175, 3735, 2},
            {.name = "StateEnough", .kind = K::Picture, .caption = ":/state-enough.png", .container = "Picture1",
             .left = 2520, .top = 10, .width = 1760, .height = 360, .tab = 3, .border = false},
            {.name = "StateNEOP", .kind = K::Picture, .caption = ":/state-neop.png", .container = "Picture1",
             .left = 2280, .top = 10, .width = 2050, .height = 360, .tab = 4, .border = false},
            {"Exit", K::Button, kExit, "", 120, 4080, 1575, 495, 1},
            {"Back", K::Button, kBack, "", 1920, 4080, 1575, 495, 0},
            {"CheckParam", K::Button, QT_TRANSLATE_NOOP("Layout", "Check Parameters"), "", 3720, 4080, 1575, 495, 5},
            {"MonitorTimer", K::Timer, "", ""},
        }};
    return w;
}

const Window& printParam() {
    const auto line = [](const char* name, const char* caption, QColor colour, int top, int tab) {
        return Element{name, K::Label, caption, "", 0, top, 3135, 255, tab, {}, colour};
    };
    static const Window w{"PrintParam", QT_TRANSLATE_NOOP("Layout", "Printer opto parameters"), WindowFrame::ToolWindow, 3150, 1425, false, "",
                          {
                              line("OptoType_L", QT_TRANSLATE_NOOP("Layout", "Opto Type"), QColor(255, 192, 255), 0, 0),
                              line("BlackLevel", QT_TRANSLATE_NOOP("Layout", "Black Level"), QColor(128, 128, 255), 240, 5),
                              line("MarkLevel", QT_TRANSLATE_NOOP("Layout", "Mark Level"), QColor(128, 255, 255), 480, 4),
                              line("PaperLevel", QT_TRANSLATE_NOOP("Layout", "Paper Level"), QColor(0, 255, 0), 720, 3),
                              line("PaperThres", QT_TRANSLATE_NOOP("Layout", "Paper Threshold"), QColor(255, 255, 128), 960, 2),
                              line("MarkThres", QT_TRANSLATE_NOOP("Layout", "Mark Threshold"), QColor(255, 128, 128), 1200, 1),
                          }};
    return w;
}

const Window& helpFrm() {
    static const Window w{"HelpFrm", QT_TRANSLATE_NOOP("Layout", "Help"), WindowFrame::FixedDialog, 5475, 4680, true, kIconC,
                          {
                              {"WebBrowser", K::HelpPane, "", "", 120, 120, 5295, 3855, 0},
                              {"Close", K::Button, QT_TRANSLATE_NOOP("Layout", "Close Help"), "", 1560, 4080, 2415, 495, 1},
                          }};
    return w;
}

// clang-format on

const std::vector<const Window*>& allWindows() {
    static const std::vector<const Window*> all{
        &splashScreen(), &step1(),      &portSelection(), &step2(),  &chanReflectModeFrm(),
        &step3(),        &monitorFrm(), &printParam(),    &helpFrm()};
    return all;
}

} // namespace Layout
