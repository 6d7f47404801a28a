// The exit statuses of tqprog-cli, one table for every command (listed in
// --help (the catalogue's CliExitStatusHelp), the manual page and the README).
#pragma once

namespace tq {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // the operation ran and failed, or a file could not be used
inline constexpr int kExitUsage = 2;          // the command line is wrong: unknown command or option, bad value
inline constexpr int kExitNoProgrammer = 3;   // no programmer found, or it does not answer
inline constexpr int kExitEmptySocket = 4;    // no chip in the socket
inline constexpr int kExitUnknownChip = 5;    // no chip named, or a name the database lacks
inline constexpr int kExitInUse = 6;          // another process is using the programmer
// compare: a file or the chip could not be read (1 means the images differ)
inline constexpr int kExitCompareError = 2;
inline constexpr int kExitStopped = 130;      // stopped with Ctrl-C (128 + SIGINT)

}  // namespace tq
