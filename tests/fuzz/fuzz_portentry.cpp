// The text of a port folder entry: anyone who can write the folder writes it. A remote port's address
// comes out only when it is one the connection can use; any other text names no remote port.
#include "link/rfc2217.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(bytes), qsizetype(size));
    const QString url = Rfc2217::urlInEntryText(text);
    if (!url.isEmpty()) {
        const std::optional<Rfc2217::Address> address = Rfc2217::parseUrl(url);
        if (!address || address->host.isEmpty() || address->port == 0 || url.contains(QLatin1Char('\n')))
            std::abort();
    }
    // veltaro-cli takes an address on its command line as well.
    (void)Rfc2217::parseUrl(QString::fromUtf8(text));
    return 0;
}
