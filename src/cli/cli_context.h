// What every command of the command-line front-end shares: the global
// options, the output streams, the exit status and the session, built on
// first use with the real or the simulated programmer behind it.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/app/session.h"
#include "core/texts/language_set.h"

namespace CLI {
class App;
}

namespace tq {

class SimProgrammer;
class TerminalViews;

struct GlobalOptions {
    bool simulator = false;
    std::string device;      // --device PATH (or TQPROG_DEVICE)
    bool trace = false;
    std::string programDir;  // --program-dir DIR (or TQPROG_HOME)
    int language = -1;       // --lang 0|1|2 or a code; -1 = the Language setting
    std::string chip;        // -c/--chip NAME
    std::string start;       // --start HEX (RamStartAddr)
    bool startGiven = false; // --start was on the command line, even empty
    std::string simChip;     // --sim-chip NAME|none; empty: the -c chip
    std::string simState;    // --sim-state DIR
    int simEraseMs = -1;     // --sim-erase-ms MS; -1: the chip's EraseTime
    std::vector<uint32_t> simFlaky;  // --sim-flaky ADDR[,ADDR...]
    std::string productionDb;     // --production-db LOCATION; empty: the setting, else the default file
    bool noProductionLog = false; // --no-production-log
};

class CliContext {
public:
    CliContext(std::ostream& out, std::ostream& err);
    ~CliContext();

    GlobalOptions options;
    std::ostream& out;
    std::ostream& err;
    int exitCode = 0;
    // Ctrl-C raises the stop request of the session (the real program; tests
    // run commands in-process without it).
    bool catchInterrupts = false;

    // The language of messages: --lang, else the session's (dev.ini, else
    // the system locale's), else the system locale's.
    int32_t Language() const;
    // The language of --help: --lang when the command line has it, else the
    // system locale's (the Language setting is not read for help).
    int32_t usageLanguage = 2;
    // The further language files passed over, said once the session starts.
    std::vector<LanguageFileProblem> languageProblems;

    // The session, created on first use with the platform the options name.
    Session& session();
    // The simulated programmer when --simulator is given, else null.
    SimProgrammer* simulator();
    TerminalViews& views();

    // Reports a failure on stderr and sets a non-zero exit status.
    int Fail(const std::string& message, int status = 1);

    // Writes the simulated memories back to --sim-state once the command
    // ran; nothing when the session never came up or its state was not loaded.
    void KeepSimulatorState();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Parses the arguments and runs the chosen command; returns the exit status.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool catchInterrupts = false);

}  // namespace tq
