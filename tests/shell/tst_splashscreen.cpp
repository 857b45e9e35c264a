// Start-up: the splash alone, deaf to the user, then the detection page after its timer, once.
#include "support/bench.h"

#include "detection/step1.h"
#include "shell/helppane.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest>

#include <memory>

namespace {
QList<QWidget*> visibleWindows() {
    QList<QWidget*> list;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) list << w;
    return list;
}
} // namespace

class TstSplashScreen : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> m_bench;

    SplashScreen& start() {
        m_bench->wizard().start();
        return m_bench->wizard().splashScreen();
    }

private slots:
    void init() { m_bench = std::make_unique<Bench>(); }
    void cleanup() { m_bench.reset(); }

    // The splash alone, centred, for a second and a half; then Step1 alone, loaded as it was shown.
    void handsOverToStep1() {
        Wizard& wizard = m_bench->wizard();
        SplashScreen& splash = start();
        QCOMPARE(visibleWindows(), QList<QWidget*>{&splash});
        QVERIFY(!wizard.loadedStep1());
        QCOMPARE(splash.Rev->text(), QStringLiteral("Rev: 1.0"));
        QCOMPARE(splash.Timer->interval(), 1500);
        QVERIFY(splash.Timer->isActive() && splash.Timer->isSingleShot());
        const QPoint screenCentre = splash.screen()->availableGeometry().center();
        QVERIFY((splash.frameGeometry().center() - screenCentre).manhattanLength() <= 2);

        QTRY_VERIFY_WITH_TIMEOUT(wizard.loadedStep1() && wizard.loadedStep1()->isVisible(), 10000);
        QVERIFY(!splash.Timer->isActive());
        QVERIFY(wizard.loadedStep1()->helpPane()->currentPath().endsWith("Step1.html"));
        QCOMPARE(visibleWindows(), QList<QWidget*>{wizard.loadedStep1()});
    }

    void inputDoesNothing_data() {
        QTest::addColumn<QString>("input");
        for (const char* input : {"click on the picture", "click on the version", "double click",
                                  "right click", "Escape", "Return", "Space", "Alt+F4", "close request"})
            QTest::newRow(input) << QString::fromLatin1(input);
    }
    void inputDoesNothing() {
        QFETCH(QString, input);
        SplashScreen& splash = start();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QWidget* picture = splash.control<QLabel>("Picture1");
        if (input == "click on the picture") QTest::mouseClick(picture, Qt::LeftButton);
        if (input == "click on the version") QTest::mouseClick(splash.Rev, Qt::LeftButton);
        if (input == "double click") QTest::mouseDClick(picture, Qt::LeftButton);
        if (input == "right click") QTest::mouseClick(picture, Qt::RightButton);
        if (input == "Escape") QTest::keyClick(&splash, Qt::Key_Escape);
        if (input == "Return") QTest::keyClick(&splash, Qt::Key_Return);
        if (input == "Space") QTest::keyClick(&splash, Qt::Key_Space);
        if (input == "Alt+F4") QTest::keyClick(&splash, Qt::Key_F4, Qt::AltModifier);
        if (input == "close request") splash.close();
        QCoreApplication::processEvents();
        QVERIFY(splash.isVisible() && splash.Timer->isActive());
        QVERIFY(!m_bench->wizard().loadedStep1() && !m_bench->ended());
    }

    // The program ended while the splash was up (the platform closed it): no page comes up afterwards.
    void endedBeforeItsTime() {
        SplashScreen& splash = start();
        m_bench->wizard().endProgram();
        QTRY_VERIFY_WITH_TIMEOUT(!splash.Timer->isActive(), 10000);
        QCoreApplication::processEvents();
        QVERIFY(!m_bench->wizard().loadedStep1());
        QVERIFY(visibleWindows().isEmpty());
    }
};

QTEST_MAIN(TstSplashScreen)
#include "tst_splashscreen.moc"
