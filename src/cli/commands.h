#pragma once

#include "clisession.h"

namespace Cli {

struct MonitorOptions {
    Printer::Sensor sensor = Printer::Sensor::PrinterOpto;
    int seconds = 0; // 0: until interrupted
    bool csv = false;
    QString record; // a file for the record of the samples taken, in the format its suffix names
    bool reconnect = false;   // wait for a lost port instead of ending with kPortUnusable
    int reconnectSeconds = 0; // the longest wait for each loss; 0: as long as the monitor runs
};

int listPorts(bool json);
int detect(Session& session, const LinkChoice& choice, bool json);
// With `record`: the parameter block also as a record (.png or .pdf) in that file.
int readParameters(Session& session, const LinkChoice& choice, bool json, const QString& record = {});
// Without a mode: reads it; with one: writes it (0 reflective, 1 transmissive).
int sensorMode(Session& session, const LinkChoice& choice, std::optional<quint8> mode);
int calibrate(Session& session, const LinkChoice& choice, Printer::Sensor sensor, int timeoutSeconds);
int monitor(Session& session, const LinkChoice& choice, const MonitorOptions& options);

} // namespace Cli
