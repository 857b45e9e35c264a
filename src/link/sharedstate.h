#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

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

// A speed switch the printer may still be owed: it may run at `speed` and `handshake` instead of the link
// settings (the monitor was left while its port was gone, so the switch could not be sent). Whichever it
// runs at, GS B `configuration` sent at those settings brings it to the link settings: a printer already
// there does not hear bytes at another speed.
struct OwedSwitch {
    QString speed;
    qint16 handshake = 0;
    quint8 configuration = 0;
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
    // Paid by the next OpenPrinterPort, before it opens with the link settings; a detection that finds
    // the printer forgets it.
    std::optional<OwedSwitch> owedSwitch;
};
