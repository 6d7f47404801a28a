// Status lines: the local time as "hh:mm:ss " followed by a text, as panel 0
// of the status bar and several messages show them.
#pragma once

#include <string>

namespace tq {

class Clock;
struct TextContext;

// "hh:mm:ss " + text, with the time of day from the clock.
std::string StatusLine(Clock& clock, const std::string& text);

// Status panel 2 while a programmer is connected: the online text, the
// version caption and the firmware version, in the current language.
std::string OnlineStatusText(const TextContext& texts, const std::string& firmwareVersion);

}  // namespace tq
