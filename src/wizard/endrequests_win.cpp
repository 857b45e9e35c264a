#include "endrequests.h"

namespace EndRequests {

// A windowed program on Windows gets no console signals: the session's end comes as Qt's session
// management, a close as a close of its windows.
void take(QObject&, std::function<void()>) {}

} // namespace EndRequests
