// Status lines: the local time as "hh:mm:ss " followed by a text, as panel 0
// of the status bar and several messages show them.
#pragma once

#include <string>

namespace tq {

class Session;

// "hh:mm:ss " + text, with the time of day from the session's clock.
std::string StatusLine(Session& session, const std::string& text);

}  // namespace tq
