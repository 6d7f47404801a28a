// Runs the command-line front-end in-process and captures what it prints.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "core/texts/language_set.h"

namespace tq::testing {

struct CliResult {
    int status = 0;
    std::string out;
    std::string err;
};

inline CliResult RunCliCaptured(const std::vector<std::string>& args) {
    // A run installs the language files it finds; the next test starts without them.
    const ScopedLanguages restored(InstalledLanguages());
    std::vector<const char*> argv = {"tqprog-cli"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    CliResult result;
    result.status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

}  // namespace tq::testing
