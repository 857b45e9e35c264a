#pragma once

// The printer work without windows. A caller (a wizard page, veltaro-cli) hands a core object the one
// Link, runs an operation and gets a typed result: what the printer said, or why it said nothing. The
// core never shows anything; progress comes as signals, and a decision that needs the technician is
// asked through a callback the caller provides. Every wait can be cancelled through the Link, and an
// operation that was cancelled returns at once without touching anything.

#include <QString>

namespace Printer {

enum class Outcome {
    Done,           // the printer answered; the value holds what it said
    Cancelled,      // the waits were cancelled (a page left, the program ending, a time limit)
    PortProblem,    // the port could not be used or the device failed; `problem` says why
    NoAnswer,       // the port worked but the printer said nothing
    Refused,        // a precondition does not hold (paper in the printer, extension absent)
    FirmwareLoader, // the printer is stuck in its firmware loader
};

struct Status {
    Outcome outcome = Outcome::Cancelled;
    QString problem; // PortProblem: the technician's words, with the system's reason
    bool ok() const { return outcome == Outcome::Done; }
};

template <class T> struct Result : Status {
    T value{};
};

enum class Sensor { PrinterOpto, NearEnd };

} // namespace Printer
