// The wizard in each of its languages: every window's every text translated (or the same word) and
// whole within its element, no element over a neighbour, Qt's own texts and the help pages in the same
// language, and the language chosen as the technician expects.
#include "support/bench.h"
#include "support/sensorsteps.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/helppane.h"
#include "shell/language.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <functional>

namespace {

// Where the element draws the text, and the room it has for it, in the element's coordinates; measured
// with the element's font.
std::pair<QRect, QRect> placeOf(const QWidget* w, const QString& text) {
    const QFontMetrics metrics = w->fontMetrics();
    const QSize size(metrics.horizontalAdvance(text), metrics.height());
    QStyle* style = w->style();
    const auto aligned = [&](Qt::Alignment alignment, const QRect& room) {
        return std::pair{QStyle::alignedRect(Qt::LeftToRight, alignment, size, room), room};
    };
    if (auto* button = qobject_cast<const QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        return aligned(Qt::AlignCenter,
                       style->subElementRect(QStyle::SE_PushButtonContents, &option, button));
    }
    if (auto* radio = qobject_cast<const QRadioButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = text;
        return aligned(Qt::AlignLeft | Qt::AlignVCenter,
                       style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio));
    }
    if (auto* list = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        return aligned(
            Qt::AlignLeft | Qt::AlignVCenter,
            style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list));
    }
    if (auto* frame = qobject_cast<const QGroupBox*>(w)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = text;
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.textAlignment = frame->alignment();
        return {style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame),
                frame->rect()};
    }
    const auto* label = qobject_cast<const QLabel*>(w);
    const QRect room = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    return {metrics.boundingRect(room, flags, text), room};
}

// Pixels of the text beyond its room (0: it fits).
int overflow(const QRect& text, const QRect& room) {
    return qMax(qMax(room.left() - text.left(), text.right() - room.right()),
                qMax(qMax(room.top() - text.top(), text.bottom() - room.bottom()), 0));
}

QStringList textsOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return {label->text()};
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return {button->text()};
    if (auto* frame = qobject_cast<const QGroupBox*>(w)) return {frame->title()};
    QStringList items;
    if (auto* list = qobject_cast<const QComboBox*>(w))
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
    return items;
}

// The windows with what their pages put into them when they load; the monitor as built, without its
// switch of speed.
std::vector<Page*> everyWindow(Wizard& wizard) {
    SplashScreen& splash = wizard.splashScreen();
    splash.Form_Load();
    auto* monitor = new MonitorFrm(wizard);
    auto* param = new PrintParam(wizard);
    param->Form_Load();
    return {&splash,
            &wizard.step1(),
            &wizard.portSelection(),
            &wizard.step2(),
            new ChanReflectModeFrm(wizard),
            new Step3(wizard),
            monitor,
            param,
            new HelpFrm(wizard)};
}

// What the pages write into their elements while they work, with long arguments.
struct Written {
    const char *window, *element, *context, *text;
    QStringList arguments;
};
const Written kWritten[] = {
    {"Step1",
     "ScanStatus",
     "Printer::Detector",
     "Attempting to contact printer in BIOS mode on COM%1",
     {"6"}},
    {"Step1",
     "ScanStatus",
     "Printer::Detector",
     "Attempting to contact printer on COM %1 at %2 bauds.",
     {"6", "115200"}},
    {"Step1", "Start", "Step1", "Search again", {}},
    {"PortSelection",
     "DetectedPrinter",
     "Printer::Detector",
     "No printer found on COM %1 at %2 bauds",
     {"6", "115200"}},
    {"PortSelection",
     "DetectedPrinter",
     "Printer::Detector",
     "%1 found on COM %2 at %3 bauds",
     {"SIM-80 Receipt", "6", "115200"}},
};

QString written(const Written& w) {
    QString text = QCoreApplication::translate(w.context, w.text);
    for (const QString& argument : w.arguments)
        text = text.arg(argument);
    return text;
}

// Every text of every window that does not fit its element or sits over a neighbour, one line each.
QStringList cutTexts(Wizard& wizard) {
    QStringList cut;
    for (Page* page : everyWindow(wizard)) {
        const Layout::Window& table = page->layoutTable();
        for (const Layout::Element& e : table.elements) {
            auto* w = page->findChild<QWidget*>(e.name);
            if (!w || !w->isVisibleTo(page)) continue;
            QStringList texts = textsOf(w);
            for (const Written& extra : kWritten)
                if (table.name == extra.window && e.name == extra.element) texts << written(extra);
            for (const QString& text : texts) {
                if (text.isEmpty()) continue;
                const auto [drawn, room] = placeOf(w, text);
                if (const int beyond = overflow(drawn, room); beyond > 0)
                    cut << QString("%1.%2 \"%3\": %4 px too wide or high")
                               .arg(table.name, e.name, text)
                               .arg(beyond);
                // The table's rectangles may touch; the ink of the text must stay off its neighbours.
                const QFontMetrics metrics = w->fontMetrics();
                const QRect ink = metrics.tightBoundingRect(text);
                const QRect onParent = (drawn.height() > metrics.height()
                                            ? drawn
                                            : QRect(drawn.left(), drawn.top() + metrics.ascent() + ink.top(),
                                                    drawn.width(), ink.height()))
                                           .translated(w->pos());
                for (const QWidget* other :
                     w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (other != w && other->isVisibleTo(page) && !other->objectName().isEmpty() &&
                        other->geometry().intersects(onParent))
                        cut << QString("%1.%2 \"%3\" over %4")
                                   .arg(table.name, e.name, text, other->objectName());
            }
        }
        if (page->lifetime() == Page::Lifetime::UnloadedWhenLeft || qobject_cast<ChanReflectModeFrm*>(page))
            delete page;
    }
    return cut;
}

// Every text lengthened by 40%: what a longer language would still find too narrow.
class Lengthened : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override {
        const QString text = QString::fromUtf8(source);
        return text.isEmpty() ? text : text + QString(text.size() * 2 / 5, QLatin1Char('x'));
    }
};

} // namespace

class TstLanguages : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Language::use(Language::kEnglish); }

    void choice_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("the system's") << "" << QStringList{"de-DE", "en-US"} << "de";
        QTest::newRow("the first the wizard speaks") << "" << QStringList{"pt-BR", "es_ES", "fr"} << "es";
        QTest::newRow("none it speaks") << "" << QStringList{"ja-JP", "C"} << "en";
        QTest::newRow("asked beats the system's") << "fr" << QStringList{"de-DE"} << "fr";
        QTest::newRow("asked English") << "en" << QStringList{"es-ES"} << "en";
        QTest::newRow("asked unknown: English") << "it" << QStringList{"de-DE"} << "en";
        // main() gives LANGUAGE=fr:de and LANG=es_ES.UTF-8: LANGUAGE comes first, as in every program.
        QTest::newRow("environment") << "" << QLocale::system().uiLanguages() << "fr";
    }
    void choice() {
        QFETCH(QString, asked);
        QFETCH(QStringList, system);
        QFETCH(QString, chosen);
        QCOMPARE(Language::choose(asked, system), chosen);
    }

    // Each language's every text is its translation, or the English word where the translation keeps it;
    // none is cut or over a neighbour. Qt's own buttons speak the language too.
    void windows_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("de") << "de"
                            << "Abbrechen";
        QTest::newRow("fr") << "fr"
                            << "Annuler";
        QTest::newRow("es") << "es"
                            << "Cancelar";
        QTest::newRow("en") << "en"
                            << "Cancel";
    }
    void windows() {
        QFETCH(QString, language);
        QFETCH(QString, cancel);
        Language::use(language);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
        QTranslator ours;
        QVERIFY(language == Language::kEnglish || ours.load(":/i18n/veltaro_" + language));
        Bench bench;
        SensorSteps::printerAtStep2(bench);
        for (const Layout::Window* table : Layout::allWindows()) {
            const std::unique_ptr<QWidget> window(new QWidget);
            LayoutBuilder::build(window.get(), *table);
            QStringList english;
            QStringList captions{table->title}, shown{window->windowTitle()};
            for (const Layout::Element& e : table->elements)
                if (const auto* w = window->findChild<QWidget*>(e.name);
                    w && !textsOf(w).value(0).isEmpty()) {
                    captions << e.caption;
                    shown << textsOf(w).value(0);
                } else if (e.kind == Layout::Kind::PictureButton) {
                    captions << e.caption;
                    shown << w->accessibleName();
                }
            // A text the translations lack (not marked for translation) has no entry at all.
            for (qsizetype i = 0; i < captions.size(); ++i) {
                const QString translation = ours.translate("Layout", captions[i].toUtf8());
                if (!captions[i].isEmpty() && language != Language::kEnglish &&
                    (translation.isEmpty() || shown[i] != translation))
                    english << captions[i];
            }
            QVERIFY2(english.isEmpty(), qPrintable(table->name + " untranslated: " + english.join(", ")));
        }
        const QStringList cut = cutTexts(bench.wizard());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    }

    // Not a failure: what would still be cut in a language 40% longer than English.
    void lengthened() {
        Lengthened longer;
        QCoreApplication::installTranslator(&longer);
        Bench bench;
        SensorSteps::printerAtStep2(bench);
        const QStringList cut = cutTexts(bench.wizard());
        QCoreApplication::removeTranslator(&longer);
        for (const QString& line : cut)
            qInfo("40%% longer: %s", qPrintable(line));
    }

    // The page of the language where there is one, the English page otherwise, page by page; the
    // working directory's before the installed folder's.
    void helpPages_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("page");
        QTest::newRow("de") << "de"
                            << "Stepde";
        QTest::newRow("fr: no page of its own") << "fr"
                                                << "Step";
        QTest::newRow("en") << "en"
                            << "Step";
    }
    void helpPages() {
        QFETCH(QString, language);
        QFETCH(QString, page);
        QTemporaryDir working;
        for (const QString& folder : {QString(), QString("de/")}) {
            QFile file(working.filePath(folder + "Step.html"));
            QVERIFY(QDir(working.path()).mkpath(folder + ".") && file.open(QIODevice::WriteOnly) &&
                    file.write("Step" + folder.chopped(folder.isEmpty() ? 0 : 1).toUtf8()));
        }
        Language::use(language);
        HelpPane pane;
        pane.Navigate(working.filePath("Step.html"));
        QCOMPARE(pane.toPlainText(), page);
    }
};

int main(int argc, char** argv) {
    // The system's languages as a desktop session gives them, before Qt first reads them.
    qputenv("LANGUAGE", "fr:de");
    qputenv("LANG", "es_ES.UTF-8");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TstLanguages test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_languages.moc"
