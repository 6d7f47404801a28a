// One step of the presence poll the main window's two-second timer runs (and
// the command line calls): it looks for the programmer's drive, identifies a
// programmer that has appeared and lists the chip types of its platform, and
// shows a programmer that has gone as offline.
#pragma once

namespace tq {

class Session;

enum class PollResult {
    NoProgrammer,  // not connected and no drive
    Online,        // connected and the drive is still there: nothing sent
    Identified,    // a programmer appeared and answered
    NoAnswer,      // a drive appeared but did not answer; the link was reset
    WentOffline,   // the drive has gone: link reset, offline display
    Deferred,      // a drive appeared while an operation runs: identified on a later step
    TimerOff,      // the poll timer is switched off (firmware update): nothing done
};

// While an operation runs the step only looks for the drive: identifying
// would put frames between the operation's own.
PollResult TimerForMassProduct(Session& session);

}  // namespace tq
