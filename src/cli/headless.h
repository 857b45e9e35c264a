#pragma once

namespace Cli {

// The Qt platform a record is drawn on without a display: one that opens no window and still has the
// system's fonts. One file per system (headless_unix.cpp, headless_win.cpp).
const char* headlessPlatform();

} // namespace Cli
