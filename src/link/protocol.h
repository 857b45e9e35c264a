#pragma once

#include "sharedstate.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The printer's byte protocol, written once. A command is a prefix byte (ESC or GS, from the shared
// state), one or two letters and, for some commands, argument bytes; every character of the string is one
// byte on the line. There is no framing, checksum or acknowledgement: the reply is whatever the printer
// puts on the line, and each caller knows how many bytes it waits for.
namespace Protocol {

constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;
constexpr char kCan = 0x18;
constexpr char kNul = 0x00;

// The line settings text for a speed: "57600,N,8,1".
QString settingsText(const QString& speed);

// The nine speeds the printer can run at, slowest first (the order of the speed list on the port
// selection page).
const QStringList& speeds();

// 3-bit speed codes. 28800 and 38400 share code 5. The probe counts an unknown speed as 0; the speed
// restore of the monitor counts it as 3 and looks up 38400 before 28800.
int speedCode(const QString& speed);        // unknown: 0
int restoreSpeedCode(const QString& speed); // unknown: 3

// The configuration byte: speed code in bits 0-2, bit 7 set for hardware flow control (handshake 2).
quint8 configurationByte(int speedCode, int handshake);

// True when a configuration byte read back says "this speed, XON/XOFF".
bool configurationMeansXonXoff(quint8 configuration, const QString& speed);

// The opto parameter block from the first six bytes of a reply (the caller waits for six).
OptoParameterBlock optoParameters(const QByteArray& reply);

// Sensor mode byte: 0 reflective, 1 transmissive.
constexpr quint8 kReflective = 0;
constexpr quint8 kTransmissive = 1;

// The printer name in an identification reply: its first 16 characters, trimmed of blanks.
QString printerName(const QByteArray& identification);

// Command strings, built from the prefixes held in the shared state.
struct Commands {
    const SharedState& state;

    QByteArray wakeUp() const { return QByteArray(1, kNul); }
    QByteArray cancel() const { return state.CanChar; }
    QByteArray paperStatus() const { return state.EscChar + "v"; }
    QByteArray identification() const { return state.EscChar + "I"; }
    QByteArray configurationQuery() const { return state.GsChar + "Sf" + QByteArray(1, 28); }
    QByteArray extensionPresence() const { return state.EscChar + "np"; }
    QByteArray optoParameterQuery() const { return state.EscChar + "O"; }
    QByteArray setSensorMode(quint8 mode) const { return state.EscChar + "o" + QByteArray(1, char(mode)); }
    QByteArray modeStore() const { return state.EscChar + "s"; }
    QByteArray printerOptoLevel() const { return state.GsChar + "o"; }
    QByteArray nearEndState() const { return state.EscChar + "ns"; }
    QByteArray nearEndOptoLevel() const { return state.EscChar + "nl"; }
    QByteArray setSpeed(quint8 configuration) const {
        return state.GsChar + "B" + QByteArray(1, char(configuration));
    }
    QByteArray calibratePrinterOpto() const { return state.GsChar + "O" + QByteArray(2, 5); }
    QByteArray calibrateNearEndOpto() const { return state.EscChar + "nc"; }
};

constexpr int kParameterBlockSize = 6;
constexpr quint8 kMonitorConfiguration = 0x86; // 57600 with hardware flow control

} // namespace Protocol
