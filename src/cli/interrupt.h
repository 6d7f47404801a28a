// Ctrl-C from the terminal. While an operation runs, the first one raises
// the session's stop request: the operation sends its abort block and ends
// as a stop. A second one, or one while nothing runs, ends the program at
// once with the stopped status.
#pragma once

#include <string>

namespace tq {

struct BusyState;

// Routes SIGINT to this busy state; `notice` is printed on stderr when the
// first Ctrl-C asks the operation to stop.
void WatchInterrupts(BusyState& busy, const std::string& notice);

// Whether a Ctrl-C has asked the running operation to stop.
bool StopWasRequested();

}  // namespace tq
