// The Clock seam: millisecond ticks for elapsed times and the busy waits
// every transfer loop uses. A wait processes pending events on every pass so
// the window stays usable (and timers such as the presence poll still run).
#pragma once

#include <cstdint>
#include <functional>

namespace tq {

// Local wall-clock time of day, for the "hh:mm:ss " of status lines.
struct TimeOfDay {
    int hours = 0, minutes = 0, seconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
    virtual uint32_t TickCount() = 0;
    // Microseconds since the same start, for the waits.
    virtual uint64_t NowMicros() = 0;

    // Waits at least n x 10 us / n x 1 us (n taken as unsigned 32 bit).
    // Processes events at least once, also for n = 0.
    void Wait10us(uint32_t n) { WaitMicros(static_cast<uint64_t>(n) * 10); }
    void Wait1us(uint32_t n) { WaitMicros(n); }
    void WaitMicros(uint64_t micros);

    // The local time of day (the system's local time unless a clock overrides it).
    virtual TimeOfDay LocalTimeOfDay();

    // Called on every pass of a wait: the GUI processes its events here,
    // the CLI does nothing, tests may drive scripted events.
    void SetEventHook(std::function<void()> hook) { eventHook_ = std::move(hook); }

protected:
    // Lets time pass for up to `remaining` microseconds (at least a little).
    // `eventsWaiting`: an event hook is installed and must run again soon.
    virtual void Pause(uint64_t remaining, bool eventsWaiting) = 0;

private:
    std::function<void()> eventHook_;
};

// Wall-clock time. Short waits spin; long ones sleep (in slices of at most
// 1 ms while an event hook is installed, else in one go) and spin only the
// last moment, so an idle wait does not burn a core and never returns early.
class RealClock final : public Clock {
public:
    RealClock();
    uint32_t TickCount() override;
    uint64_t NowMicros() override;

protected:
    void Pause(uint64_t remaining, bool eventsWaiting) override;

private:
    uint64_t startNanos_;
};

// Test time: a wait advances virtual time at once, so a 100 x 2 s polled
// erase takes microseconds.
class VirtualClock final : public Clock {
public:
    uint32_t TickCount() override { return static_cast<uint32_t>(micros_ / 1000); }
    uint64_t NowMicros() override { return micros_; }
    void Advance(uint64_t micros) { micros_ += micros; }
    TimeOfDay LocalTimeOfDay() override { return timeOfDay; }
    TimeOfDay timeOfDay{10, 42, 7};  // what status lines show as the time

protected:
    void Pause(uint64_t remaining, bool) override { micros_ += remaining; }

private:
    uint64_t micros_ = 0;
};

}  // namespace tq
