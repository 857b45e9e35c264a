#include "portnames.h"

#include "rfc2217.h"

#include <map>

namespace {
std::map<int, QString>& assigned() {
    static std::map<int, QString> urls;
    return urls;
}
} // namespace

namespace PortNames {

QString portName(int n) {
    return QStringLiteral("COM") + QString::number(n);
}

void assignRemote(int n, const QString& url) {
    if (url.isEmpty())
        assigned().erase(n);
    else
        assigned()[n] = url;
}

QString remoteUrl(int n) {
    const auto given = assigned().find(n);
    if (given != assigned().end()) return given->second;
    return Rfc2217::urlInEntry(portFolder() + QLatin1Char('/') + remoteEntryName(n));
}

} // namespace PortNames
