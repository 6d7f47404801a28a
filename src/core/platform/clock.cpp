#include "core/platform/clock.h"

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
        Pause(micros - elapsed);
    }
}

TimeOfDay Clock::LocalTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
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

void RealClock::Pause(uint64_t remaining) {
    // Sleep in slices of at most 1 ms so events are processed between them.
    // A sleep overshoots by some tens of microseconds, so the last stretch
    // sleeps short of the goal and only the final ~200 us are spun.
    if (remaining >= 1200) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else if (remaining > 200) {
        std::this_thread::sleep_for(std::chrono::microseconds(remaining - 150));
    } else {
        std::this_thread::yield();
    }
}

}  // namespace tq
