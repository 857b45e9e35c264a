#pragma once

#include "outcome.h"

#include <QObject>

#include <functional>
#include <optional>

class Link;

namespace Printer {

class Exchange;

// The printer calibrates a sensor by itself. Before the printer's own sensor is calibrated, the paper
// must be out of it (ESC v, bit 2 set means no paper); then GS O 05 05 (printer sensor) or ESC n c
// (near-end sensor) starts it, and one byte of any value says it has finished. A slow calibration
// takes its time, so the waits have no limit of their own; printerSilent() tells the caller when the
// printer has been silent for silenceMs in a wait, and the caller may cancel the link's waits then.
class Calibration : public QObject {
    Q_OBJECT
public:
    enum class PaperDecision {
        Stop,             // the technician removes the paper first; the port stays open
        CalibrateAnyway,  // the sensor may be wrong about the paper
        Abandon,          // the caller is gone or the program is ending
    };
    using PaperQuestion = std::function<PaperDecision()>;

    Calibration(Link& link, Sensor sensor, QObject* parent = nullptr);

    void setSilenceMs(int ms) { m_silenceMs = ms; }
    // Asked when the printer says paper is present. Without a question, the calibration is refused.
    void setPaperQuestion(PaperQuestion question) { m_paperQuestion = std::move(question); }

    // Done: the printer has finished and the port is closed. Refused: paper present and the answer was
    // Stop (the port stays open, so that the same exchange can be tried again). Cancelled, PortProblem:
    // as everywhere.
    Status run();

signals:
    // The calibration command is about to go out.
    void starting();
    void printerSilent();

private:
    enum class Paper { Clear, Present, Failed, Cancelled };
    Paper checkPaper(Exchange& exchange);
    std::optional<quint8> waitWithPatience(Exchange& exchange);

    Link& m_link;
    Sensor m_sensor;
    int m_silenceMs = 20000;
    PaperQuestion m_paperQuestion;
};

} // namespace Printer
