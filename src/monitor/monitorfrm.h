#pragma once

#include "shell/page.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QLabel;
class QPushButton;
class QTimer;
class StripChart;

// The live monitor page. At opening it switches the printer and the link to 57600 with hardware flow
// control, reads the sensor's stored parameters and a first reading, and then samples the chosen sensor
// every 50 ms onto the strip chart, one stroke per sample, 60 samples a sweep. Back and Exit switch the
// printer back to the speed it had.
//
// Each tick opens the port, asks, waits for the reply and closes the port again; while it waits, the
// user's clicks are handled. So: a tick that finds another one still waiting does nothing; leaving stops
// the timer and ends the waiting tick before the printer is switched back; and once the page is left no
// tick touches the port again.
class MonitorFrm : public Page {
    Q_OBJECT
public:
    explicit MonitorFrm(Wizard& wizard);

    void Form_Load() override;
    void Form_Unload() override;
    // Reads the printer sensor's parameters into OptoParams (printer opto-sensor only) and one present
    // reading of the chosen sensor into lastSample.
    void GetParamLevels();
    // Axes, ticks, labels, time base and, for the printer opto-sensor, the five reference lines.
    void BuiltGrid();

    StripChart* Picture1;
    QLabel* StateEnough;
    QLabel* StateNEOP;
    QPushButton* Exit;
    QPushButton* Back;
    QPushButton* CheckParam;
    QTimer* MonitorTimer;

    qint16 lastSample = 0; // the y of the trace's last point
    qint16 tickCount = 0;  // samples drawn in this sweep; 0: the grid is due before the next one
    QString timeBaseText;
    QString savedSpeed;     // the link settings the printer had when the page opened
    QString savedHandshake; // as decimal text

private slots:
    void MonitorTimer_Timer();

private:
    // Opening: the timer is not running yet. Running: a sample every tick. Halted: the port failed and
    // was reported; the page waits for the user to leave. Left: the port is the next page's.
    enum class Sampling { Opening, Running, Halted, Left };

    void CheckParam_Click();
    void Back_Click();
    void Exit_Click();
    void RestorePrinterSpeed();

    bool printerOpto() const;
    bool switchToMonitorSpeed();
    bool openPort();
    std::optional<QByteArray> awaitOpeningReply(int count);
    std::optional<quint8> readSample();
    std::optional<quint8> tickReply(const QByteArray& command);
    void drawSample(qint16 sample);
    void showNearEndState(quint8 state);
    void stopSampling();
    void halt();
    void tellOnce(const QString& text);
    void reportPortProblem(const QString& text);
    void portLost(const QString& message);

    Sampling m_sampling = Sampling::Opening;
    bool m_tickWaiting = false; // a tick is between its command and its reply
    bool m_switched = false;    // the printer runs at 57600 by our doing and must be switched back
    bool m_paramsRead = false;  // OptoParams hold this printer's parameters, read at this opening
    bool m_reported = false;    // one port problem is told once per visit
};
