#include "core/platform/clock.h"
#include "core/platform/local_time.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

namespace tq {

void Clock::WaitMicros(uint64_t micros) {
    const uint64_t start = NowMicros();
    for (;;) {
        if (eventHook_) eventHook_();
        const uint64_t elapsed = NowMicros() - start;
        if (elapsed >= micros) return;
        Pause(micros - elapsed, static_cast<bool>(eventHook_));
    }
}

TimeOfDay Clock::LocalTimeOfDay() {
    const std::tm local = LocalCalendarTime(std::time(nullptr));
    return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
}

namespace {
uint64_t SteadyNanos() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}
}  // namespace

RealClock::RealClock() : startNanos_(SteadyNanos()) {}

uint32_t RealClock::TickCount() { return static_cast<uint32_t>(NowMicros() / 1000); }

uint64_t RealClock::NowMicros() { return (SteadyNanos() - startNanos_) / 1000; }

void RealClock::Pause(uint64_t remaining, bool eventsWaiting) {
    // A sleep overshoots by some tens of microseconds, so it stops this far
    // short of the goal and the rest is spun.
    constexpr uint64_t kSpinMicros = 150;
    constexpr uint64_t kSliceMicros = 1000;  // how long events may wait
    if (remaining <= kSpinMicros + 50) {
        std::this_thread::yield();
        return;
    }
    uint64_t sleep = remaining - kSpinMicros;
    if (eventsWaiting) sleep = std::min(sleep, kSliceMicros);
    std::this_thread::sleep_for(std::chrono::microseconds(sleep));
}

}  // namespace tq
