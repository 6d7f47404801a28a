// The exit statuses of tqprog-cli, one table for every command (listed in
// --help, the manual page and the README).
#pragma once

namespace tq {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // the operation ran and failed, or a file could not be used
inline constexpr int kExitUsage = 2;          // the command line is wrong: unknown command or option, bad value
inline constexpr int kExitNoProgrammer = 3;   // no programmer found, or it does not answer
inline constexpr int kExitEmptySocket = 4;    // no chip in the socket
inline constexpr int kExitUnknownChip = 5;    // no chip named, or a name the database lacks
inline constexpr int kExitInUse = 6;          // another process is using the programmer
inline constexpr int kExitStopped = 130;      // stopped with Ctrl-C (128 + SIGINT)

// The table as --help shows it.
inline constexpr const char* kExitStatusHelp =
    "Exit status: 0 done, 1 failed, 2 usage error, 3 no programmer (or no answer), 4 no chip in the socket,\n"
    "5 no chip named or an unknown one, 6 programmer in use by another process, 130 stopped with Ctrl-C.";

}  // namespace tq
