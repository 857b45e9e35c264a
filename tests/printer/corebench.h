#pragma once

#include "support/bench.h"

// The printer core as the detection page holds it: the program's one port object, delay timer and link,
// the command prefixes, and the link settings of a printer found on COM3 at 9600 with XON/XOFF.
struct CoreBench : PrinterBench {
    CoreBench() {
        state.EscChar = "\x1b";
        state.GsChar = "\x1d";
        state.CanChar = "\x18";
        state.PrinterFound = true;
        state.PrinterPort = 3;
        state.PrinterSpeed = "9600";
        state.PrinterHandshake = 1;
    }
    SharedState state;
    MSComm comm;
    QTimer timer1;
    Link link{state, comm, timer1};
};
