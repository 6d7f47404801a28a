// Status lines: the local time as "hh:mm:ss " followed by a text, as panel 0
// of the status bar and several messages show them.
#pragma once

#include <string>

namespace tq {

class Clock;

// "hh:mm:ss " + text, with the time of day from the clock.
std::string StatusLine(Clock& clock, const std::string& text);

}  // namespace tq
