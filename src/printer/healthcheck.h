#pragma once

#include "outcome.h"

#include <QtGlobal>

class Link;

// The questions a health check asks a found printer beside the extension presence and the parameter
// block (sensorsetup.h). Like those, each is one exchange on the shared link settings that leaves the
// port closed; none of them changes anything in the printer.
namespace Printer::HealthCheck {

// Set in the paper status when no paper is at the printer's paper sensor.
constexpr quint8 kNoPaperBit = 0x04;

// ESC v: true when paper is at the paper sensor.
Result<bool> paperPresent(Link& link);

// ESC n s: true when the near-end extension says 1, the roll near its end.
Result<bool> nearEnd(Link& link);

} // namespace Printer::HealthCheck
