#include "core/texts/status_line.h"

#include <cstdio>

#include "core/platform/clock.h"

namespace tq {

std::string StatusLine(Clock& clock, const std::string& text) {
    const TimeOfDay now = clock.LocalTimeOfDay();
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d ", now.hours % 100, now.minutes % 100, now.seconds % 100);
    return time + text;
}

}  // namespace tq
