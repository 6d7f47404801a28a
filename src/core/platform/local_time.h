// The local calendar time of a moment, through the system's thread-safe call.
#pragma once

#include <ctime>

namespace tq {

std::tm LocalCalendarTime(std::time_t moment);

}  // namespace tq
