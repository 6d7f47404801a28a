// A seeded random driver of the real main window on the in-process
// simulated programmer: menu commands, clicks and input on every enabled
// control of every window shown, keys, file drops, answers to whatever
// dialog opens, chip changes, the plug and the chip pulled through the
// Simulator menu. Every success the window reports is checked against the
// simulated chip; a watchdog fails the run when the window stops answering.
#pragma once

#include <cstdint>
#include <string>

namespace tq::testing {

struct MonkeyOptions {
    uint64_t seed = 1;
    double seconds = 60;        // stop after this long ...
    uint64_t actions = 0;       // ... or this many actions (0: no limit)
    int watchdogMs = 2000;      // the window must answer within this
    int progressSeconds = 0;    // print the running figures this often (0: never)
    bool lyingProgrammer = false;  // the simulator forgets writes: the run must catch it
    bool verbose = false;       // print every action
};

// Runs the monkey on the QApplication already made; the exit status:
// 0 passed, 1 a false success, 3 the window stopped answering.
int RunMonkey(const MonkeyOptions& options);

}  // namespace tq::testing
