#pragma once

#include "printermodel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace Sim {

// The simulated printer at the other end of a pseudo-terminal, named as a COM port by an entry
// `COM<n> -> /dev/pts/N` in a port folder. It runs on the event loop of whoever owns it (a test, or
// veltaro-printer-sim): each chunk the application writes is read at once, together with the line
// speed and flow control the application has set at that moment, and handed to the PrinterModel; its
// replies go back on the line when they are due.
class SimulatedPrinter : public QObject {
    Q_OBJECT
public:
    explicit SimulatedPrinter(const PrinterConfig& config = {}, QObject* parent = nullptr);
    ~SimulatedPrinter() override; // removes its port entry

    // Names the printer as port n: creates `<portFolder>/COM<n>`, replacing what was there.
    bool attach(const QString& portFolder, int portNumber);
    QString devicePath() const { return m_devicePath; } // /dev/pts/N, empty while vanished
    QString portPath() const { return m_portPath; }     // the COM entry, empty before attach()
    QString errorString() const { return m_error; }
    bool isPresent() const { return m_master >= 0; }

    PrinterModel& model() { return m_model; }
    const QList<TranscriptEntry>& transcript() const { return m_model.transcript(); }
    void clearTranscript() { m_model.clearTranscript(); }
    qint64 elapsedMs() const { return m_clock.elapsed(); } // the transcript's clock

    void setSpeed(int speed) { m_model.setSpeed(speed); }
    void setHardwareFlow(bool on) { m_model.setHardwareFlow(on); }
    void setLoaderMode(bool on) { m_model.setLoaderMode(on); }
    void setExtensionFitted(bool fitted) { m_model.setExtensionFitted(fitted); }
    void setPaperPresent(bool present) { m_model.setPaperPresent(present); }
    void setStatusOverride(std::optional<quint8> status) { m_model.setStatusOverride(status); }
    void setOptoParams(const OptoParams& params) { m_model.setOptoParams(params); }
    void setNearEnd(bool nearEnd) { m_model.setNearEnd(nearEnd); }
    void setIdentification(const QByteArray& text) { m_model.setIdentification(text); }
    void setCalibrationTimeMs(int ms) { m_model.setCalibrationTimeMs(ms); }
    void setFaults(const Faults& faults) { m_model.setFaults(faults); }
    // Switched off and on with its port staying, as behind an RS-232 cable or a ser2net that keeps its
    // connection: off, the replies on their way are lost too.
    void setPowered(bool on);
    void setReplyOverride(const QByteArray& command, const QByteArray& reply) {
        m_model.setReplyOverride(command, reply);
    }
    void clearReplyOverrides() { m_model.clearReplyOverrides(); }

    // Puts bytes on the line unasked (line noise, a late reply, a stray byte).
    void send(const QByteArray& bytes);

    // The device disappears (the adapter pulled: master closed, port entry removed) and comes back as
    // a new pseudo-terminal under the same COM name. The printer keeps its state; replies on their way
    // when it vanished are lost.
    void vanish();
    bool reappear();

signals:
    void commandReceived(const Sim::TranscriptEntry& entry);
    void replySent(const QByteArray& bytes);

private:
    bool openPty();
    void closePty();
    bool makePortEntry();
    void removePortEntry();
    void readLine();
    QByteArray writeDue();
    void sendLateReplies();
    void write(const QByteArray& bytes);
    void flushOutbox();
    bool fail(const QString& what);

    PrinterModel m_model;
    QElapsedTimer m_clock;
    QTimer m_replyTimer;
    int m_master = -1;
    int m_slave = -1; // held open for the whole life: without it every close by the application
                      // leaves the master in EIO and its notifier firing without end
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QByteArray m_outbox; // what the line did not take yet
    QString m_devicePath;
    QString m_portFolder;
    int m_portNumber = 0;
    QString m_portPath;
    QString m_error;
};

} // namespace Sim
