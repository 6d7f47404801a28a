#include "core/app/status_line.h"

#include <cstdio>

#include "core/session.h"

namespace tq {

std::string StatusLine(Session& session, const std::string& text) {
    const TimeOfDay now = session.clock().LocalTimeOfDay();
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d ", now.hours % 100, now.minutes % 100, now.seconds % 100);
    return time + text;
}

}  // namespace tq
