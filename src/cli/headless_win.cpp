#include "headless.h"

namespace Cli {

// The minimal platform opens no window; without enable_fonts it draws text with no font at all.
const char* headlessPlatform() {
    return "minimal:enable_fonts";
}

} // namespace Cli
