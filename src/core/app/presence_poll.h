// One step of the presence poll the main window's two-second timer runs (and
// the command line calls): it looks for the programmer's drive, identifies a
// programmer that has appeared and lists the chip types of its platform, and
// shows a programmer that has gone as offline.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class Session;

enum class PollResult {
    NoProgrammer,  // not connected and no drive
    Online,        // connected and the drive is still there: nothing sent
    Identified,    // a programmer appeared and answered
    NoAnswer,      // a drive appeared but did not answer; the link was reset
    InUse,         // a drive appeared that another process or session has claimed; nothing sent
    WentOffline,   // the drive has gone: link reset, offline display
    Deferred,      // a drive appeared while an operation runs: identified on a later step
    TimerOff,      // the poll timer is switched off (firmware update): nothing done
};

// "The programmer is in use by process 1234 (tqprog-cli)" in a language;
// an empty holder is "another program".
std::string DeviceInUseText(int32_t language, const std::string& holder);

// While an operation runs the step only looks for the drive: identifying
// would put frames between the operation's own.
PollResult TimerForMassProduct(Session& session);

}  // namespace tq
