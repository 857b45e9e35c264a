#pragma once

#include "link/sharedstate.h"
#include "outcome.h"

class Link;

// What the printer is asked before a sensor is calibrated or monitored: whether the near-end extension
// is fitted, and the mode of its own paper sensor. Each call is one exchange on the shared link
// settings and leaves the port closed, except where it says otherwise.
namespace Printer::SensorSetup {

// ESC n p. Only the first byte of the answer counts: 0 means absent, anything else fitted.
Result<bool> extensionFitted(Link& link);

// ESC O: the printer sensor's six stored parameters, in the order the printer sends them.
Result<OptoParameterBlock> readParameters(Link& link);

// ESC O; the mode is byte 0 of the six-byte parameter block: 0 reflective, anything else transmissive.
Result<quint8> readSensorMode(Link& link);

// ESC o n, then ESC s. Both go out even when the mode did not change: the printer stores what it is told.
Status writeSensorMode(Link& link, quint8 mode);

} // namespace Printer::SensorSetup
