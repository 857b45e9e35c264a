// The wizard in each of its languages: every text translated, whole within its element and off its
// neighbours, Qt's own texts in the same language, and the language chosen as the technician expects.
#include "support/bench.h"
#include "support/sensorsteps.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "sensor/chanreflectmodefrm.h"
#include "shell/helpfrm.h"
#include "shell/language.h"
#include "shell/splashscreen.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOption>
#include <QTranslator>
#include <QtTest>

namespace {

// Where the element draws the text and the room it has for it, in its own coordinates, at its font.
std::pair<QRect, QRect> placeOf(const QWidget* w, const QString& text) {
    const QFontMetrics metrics = w->fontMetrics();
    const QSize size(metrics.horizontalAdvance(text), metrics.height());
    const QStyle* style = w->style();
    const auto aligned = [&](Qt::Alignment alignment, const QRect& room) {
        return std::pair{QStyle::alignedRect(Qt::LeftToRight, alignment, size, room), room};
    };
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        const bool radio = qobject_cast<const QRadioButton*>(w);
        return aligned(
            radio ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter,
            style->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents,
                                  &option, button));
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
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.textAlignment = frame->alignment();
        return {style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame),
                frame->rect()};
    }
    const auto* label = static_cast<const QLabel*>(w); // none of them wraps
    return {metrics.boundingRect(label->contentsRect(), int(label->alignment()), text),
            label->contentsRect()};
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

// What the pages write into their elements while they work, with long arguments.
QMultiHash<QString, QString> workTexts() {
    const auto said = [](const char* text) { return QCoreApplication::translate("Printer::Detector", text); };
    return {
        {"Step1.ScanStatus", said("Attempting to contact printer in BIOS mode on COM%1").arg(6)},
        {"Step1.ScanStatus", said("Attempting to contact printer on COM %1 at %2 bauds.").arg(6).arg(115200)},
        {"Step1.Start", QCoreApplication::translate("Step1", "Search again")},
        {"PortSelection.DetectedPrinter", said("No printer found on COM %1 at %2 bauds").arg(6).arg(115200)},
        {"PortSelection.DetectedPrinter",
         said("%1 found on COM %2 at %3 bauds").arg("SIM-80 Receipt", "6", "115200")}};
}

// Every window as its page loads it (the monitor without its switch of speed): each text cut or over a
// neighbour, and each caption not shown as its translation in `ours` (if given), one line each.
QStringList faults(Wizard& wizard, const QTranslator* ours) {
    wizard.splashScreen().Form_Load();
    auto* param = new PrintParam(wizard);
    param->Form_Load();
    const auto working = workTexts();
    QStringList faults;
    for (Page* page :
         std::initializer_list<Page*>{&wizard.splashScreen(), &wizard.step1(), &wizard.portSelection(),
                                      &wizard.step2(), new ChanReflectModeFrm(wizard), new Step3(wizard),
                                      new MonitorFrm(wizard), param, new HelpFrm(wizard)}) {
        const Layout::Window& table = page->layoutTable();
        const auto untranslated = [&](const QString& caption, const QString& shown) {
            // A caption not marked for translation has no entry; the pages may write over one.
            const QString translation = ours ? ours->translate("Layout", caption.toUtf8()) : caption;
            if (!caption.isEmpty() && (translation.isEmpty() || (shown == caption && translation != caption)))
                faults << "English: " + caption;
        };
        untranslated(table.title, page->windowTitle());
        for (const Layout::Element& e : table.elements) {
            auto* w = page->findChild<QWidget*>(e.name);
            if (e.kind != Layout::Kind::Picture && e.kind != Layout::Kind::Custom && w)
                untranslated(e.caption, e.kind == Layout::Kind::PictureButton ? w->accessibleName()
                                                                              : textsOf(w).value(0));
            // The paper states are pictures with words: each language has its own.
            if (ours && e.caption.startsWith(":/state-"))
                if (auto* label = qobject_cast<const QLabel*>(w);
                    label && label->pixmap().toImage() == QPixmap(e.caption).toImage())
                    faults << "English picture: " + e.caption;
            if (!w || !w->isVisibleTo(page)) continue;
            for (const QString& text : textsOf(w) + working.values(table.name + '.' + e.name)) {
                if (text.isEmpty()) continue;
                const auto [drawn, room] = placeOf(w, text);
                const QString where = QString("%1.%2 \"%3\"").arg(table.name, e.name, text);
                if (!room.contains(drawn)) faults << where + " cut";
                // The tables' rectangles may touch; the ink of the text keeps off the neighbours.
                const QFontMetrics metrics = w->fontMetrics();
                const QRect ink = metrics.tightBoundingRect(text);
                const QRect line(drawn.left(), drawn.top() + metrics.ascent() + ink.top(), drawn.width(),
                                 ink.height());
                const QRect inked = (drawn.height() > metrics.height() ? drawn : line).translated(w->pos());
                for (const QWidget* other :
                     w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (other != w && other->isVisibleTo(page) && !other->objectName().isEmpty() &&
                        other->geometry().intersects(inked))
                        faults << where + " over " + other->objectName();
            }
        }
        if (page->lifetime() == Page::Lifetime::UnloadedWhenLeft || qobject_cast<ChanReflectModeFrm*>(page))
            delete page;
    }
    return faults;
}

} // namespace

class TstLanguages : public QObject {
    Q_OBJECT

private slots:
    void choice_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("the first the wizard speaks") << "" << QStringList{"pt-BR", "es_ES", "de-DE"} << "es";
        QTest::newRow("none it speaks") << "" << QStringList{"ja-JP", "C"} << "en";
        QTest::newRow("asked beats the system's") << "fr" << QStringList{"de-DE"} << "fr";
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

    // Each window's every caption is its translation, or the English word where the translation keeps it,
    // and no text is cut or over a neighbour; Qt's own buttons speak the language too.
    void windows_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("cancel");
        for (const auto& [language, cancel] :
             {std::pair{"de", "Abbrechen"}, {"fr", "Annuler"}, {"es", "Cancelar"}, {"en", "Cancel"}})
            QTest::newRow(language) << QString(language) << QString(cancel);
    }
    void windows() {
        QFETCH(QString, language);
        QFETCH(QString, cancel);
        Language::use(language);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
        QTranslator ours;
        QVERIFY(language == "en" || ours.load(":/i18n/veltaro_" + language));
        Bench bench;
        SensorSteps::printerAtStep2(bench);
        const QStringList found = faults(bench.wizard(), ours.isEmpty() ? nullptr : &ours);
        QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
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
