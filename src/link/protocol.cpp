#include "protocol.h"

#include <QHash>

namespace Protocol {

QString settingsText(const QString& speed) { return speed + QStringLiteral(",N,8,1"); }

const QStringList& speeds() {
    static const QStringList list{"1200", "2400", "4800", "9600", "19200", "28800", "38400", "57600", "115200"};
    return list;
}

int speedCode(const QString& speed) {
    static const QHash<QString, int> codes{{"1200", 0},  {"2400", 1},  {"4800", 2},
                                           {"9600", 3},  {"19200", 4}, {"28800", 5},
                                           {"38400", 5}, {"57600", 6}, {"115200", 7}};
    return codes.value(speed, 0);
}

int restoreSpeedCode(const QString& speed) {
    // Compared as text in this order; 38400 and 28800 both give 5.
    static const std::pair<const char*, int> table[] = {{"1200", 0},  {"2400", 1},  {"4800", 2},
                                                        {"9600", 3},  {"19200", 4}, {"38400", 5},
                                                        {"28800", 5}, {"57600", 6}, {"115200", 7}};
    for (const auto& [text, code] : table)
        if (speed == QLatin1String(text))
            return code;
    return 3;
}

quint8 configurationByte(int speedCode, int handshake) {
    return quint8((speedCode & 7) + (handshake == 2 ? 128 : 0));
}

bool configurationMeansXonXoff(quint8 configuration, const QString& speed) {
    return (configuration & 7) == speedCode(speed) && (configuration & 128) == 0;
}

OptoParameterBlock optoParameters(const QByteArray& reply) {
    OptoParameterBlock block;
    if (reply.size() < kParameterBlockSize)
        return block;
    const auto at = [&](int i) { return quint8(reply.at(i)); };
    block.optoType = at(0);
    block.blackLevel = at(1);
    block.markLevel = at(2);
    block.paperLevel = at(3);
    block.paperThreshold = at(4);
    block.markThreshold = at(5);
    return block;
}

QString printerName(const QByteArray& identification) {
    // Only blanks are trimmed: the printer pads its name with spaces, and any other character is its own.
    QString name = QString::fromLatin1(identification.left(16));
    qsizetype begin = 0, end = name.size();
    while (begin < end && name.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && name.at(end - 1) == QLatin1Char(' '))
        --end;
    return name.mid(begin, end - begin);
}

} // namespace Protocol
