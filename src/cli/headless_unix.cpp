#include "headless.h"

namespace Cli {

const char* headlessPlatform() {
    return "offscreen";
}

} // namespace Cli
