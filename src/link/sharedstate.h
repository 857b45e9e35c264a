#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The printer's opto parameter block as the printer stores it: one byte each, on the same 0-255 scale
// as the live readings, in the order the printer sends them.
struct OptoParameterBlock {
    quint8 optoType = 0; // 0 = reflective, anything else = transmissive
    quint8 blackLevel = 0;
    quint8 markLevel = 0;
    quint8 paperLevel = 0;
    quint8 paperThreshold = 0;
    quint8 markThreshold = 0;
};

// Program-wide state shared by the pages. One object per run, handed to the pages by reference, so that a
// test can start from a fresh program.
struct SharedState {
    QByteArray EscChar;           // the ESC command prefix, set when the detection page loads
    QByteArray GsChar;            // the GS command prefix
    QByteArray CanChar;           // CAN, sent alone
    qint16 PrinterPort = 0;       // 1..6, meaningful once PrinterFound
    QString PrinterSpeed;         // "1200" .. "115200"
    qint16 PrinterHandshake = 0;  // 1 = XON/XOFF ("Xon-Xoff"), 2 = hardware ("DSR/DTR Mode")
    bool PrinterFound = false;
    bool PortIsOpen = false;      // true exactly while OpenPrinterPort holds the port
    QString HelpDir;              // working directory at start plus the separator
    OptoParameterBlock OptoParams;
    QString printerName;  // as the printer named itself when it was found
    QString recordFolder; // where the monitor's last record went, for the next file dialog of this run
};
