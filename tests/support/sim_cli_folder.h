// A program folder for command-line runs against the simulated programmer:
// the built chip database and language files in a fresh temporary folder,
// and a runner that puts --program-dir (and --simulator) in front of the
// arguments.
#pragma once

#include <string>
#include <vector>

#include "support/program_folder.h"
#include "support/run_cli.h"

namespace tq::testing {

class SimCliFolder : public ProgramFolder {
public:
    SimCliFolder() {
        for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) CopyFromBin(name);
    }

    // tqprog-cli --program-dir FOLDER --simulator ARGS...
    CliResult RunSimulated(std::vector<std::string> args) const {
        args.insert(args.begin(), "--simulator");
        return Run(std::move(args));
    }
    // tqprog-cli --program-dir FOLDER ARGS...
    CliResult Run(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--program-dir", path().string()});
        return RunCliCaptured(args);
    }
    std::string File(const std::string& name) const { return (path() / name).string(); }
};

}  // namespace tq::testing
