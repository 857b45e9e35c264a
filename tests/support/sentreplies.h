#pragma once

#include "printermodel.h"

#include <QByteArray>
#include <QList>

#include <limits>

// What the simulated printer answered to one command, in order, worked out again from its transcript: a
// twin with the same configuration hears the same bytes at the same times, and the model's answers
// (noise included) depend on nothing else.
inline QList<quint8> repliesTo(const Sim::PrinterConfig& config, const QList<Sim::TranscriptEntry>& transcript,
                               const QByteArray& command) {
    Sim::PrinterModel twin(config);
    QList<quint8> replies;
    for (const Sim::TranscriptEntry& e : transcript) {
        twin.receive(e.bytes, {e.lineSpeed, e.hardwareFlow}, e.timeMs);
        const QByteArray reply = twin.takeDue(std::numeric_limits<qint64>::max());
        if (e.heard && e.bytes == command && reply.size() == 1) replies << quint8(reply.at(0));
    }
    return replies;
}
