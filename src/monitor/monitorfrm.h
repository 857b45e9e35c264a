#pragma once

#include "printer/samplestore.h"
#include "printer/sampler.h"
#include "shell/page.h"
#include "shell/pagehost.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

class QLabel;
class QPushButton;
class QTimer;
class RecordMenu;
class StripChart;
namespace Record {
struct Sheet;
}

// The live monitor page: it draws what the sampler reads. At opening the printer and the link go to 57600
// with hardware flow control and the sensor's stored parameters and a first reading are read; then the
// chosen sensor is sampled every 50 ms onto the strip chart, one stroke per sample, 60 samples a sweep.
// Back and Exit switch the printer back to the speed it had, after the sampler has stopped. A lost port is
// told once per loss in a box, a printer that stops answering in the title only; the title says that the
// page waits for it, and the trace goes on by itself when it is back, where the time axis has got to
// meanwhile. The chart's context menu saves the record of the last sweep's samples (recordmenu.h), with the
// lost time as missing samples.
class MonitorFrm : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::MonitorFrm;
    explicit MonitorFrm(PageHost& wizard);

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

    // The program ends for another reason than Exit (the system asks): the same as Exit.
    void endAsOnExit() { Exit_Click(); }

    RecordMenu& record() const { return *m_record; }
    // What a record of the page shows now: the printer, the sensor and the last sweep's samples.
    Record::Sheet recordSheet() const;

private slots:
    void MonitorTimer_Timer();

private:
    void CheckParam_Click();
    void Back_Click();
    void Exit_Click();
    void RestorePrinterSpeed();

    bool printerOpto() const;
    QString caption() const; // the title while it monitors
    void drawSample(qint16 sample);
    void showNearEndState(quint8 state);
    void tellOnce(const QString& text);
    void keepSample(qint64 ms, const Printer::Result<Printer::Sampler::Reading>& sample);
    void sampleLost(const QString& problem);
    void tellLoss();
    void parametersRead(const OptoParameterBlock& params);
    void sampleResumed(quint8 level);
    void skipGap();

    Printer::Sampler m_sampler;
    bool m_paramsRead = false; // OptoParams hold this printer's parameters, read at this opening
    bool m_reported = false;   // a problem of the opening or the restore is told once per visit
    QString m_lossUntold; // a loss not yet told in a box
    bool m_boxUp = false;
    bool m_gridStale = false; // the parameters were read again: the reference lines move
    QElapsedTimer m_sinceSample;
    QTimer m_backNotice; // how long the title says that the port is back
    // The samples of the last sweep, timed as the chart takes them: 50 ms a tick.
    Printer::SampleStore m_samples;
    qint64 m_samplesTaken = 0;
    bool m_inTick = false;    // a tick waits for its reply
    qint64 m_ticksMissed = 0; // fell due while it waited: missing samples in the record
    RecordMenu* m_record;
};
