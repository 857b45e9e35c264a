#pragma once

// While one of these lives, the system wakes the program at its timers' time to the millisecond. Windows
// otherwise wakes a waiting program only at its timer tick of about 15.6 ms, so that a 50 ms sample came
// at 46.8 or 62.4 ms and a 10 ms step of a wait at 15.6; Unix systems need nothing of the kind. The
// waits hold one while they wait and the sampler while it samples, so that the finer ticks (which cost
// the whole system power) last no longer than the printer work.
class FineTimers {
public:
    FineTimers();
    ~FineTimers();
    FineTimers(const FineTimers&) = delete;
    FineTimers& operator=(const FineTimers&) = delete;
};
