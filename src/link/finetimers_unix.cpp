#include "finetimers.h"

// Unix timers keep their own time; there is no system tick to refine.
FineTimers::FineTimers() = default;
FineTimers::~FineTimers() = default;
