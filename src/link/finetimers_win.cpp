#include "finetimers.h"

#include <windows.h>
#include <timeapi.h>

namespace {
constexpr UINT kResolutionMs = 1;
}

// Each request is counted by the system and ends with its own timeEndPeriod.
FineTimers::FineTimers() { timeBeginPeriod(kResolutionMs); }
FineTimers::~FineTimers() { timeEndPeriod(kResolutionMs); }
