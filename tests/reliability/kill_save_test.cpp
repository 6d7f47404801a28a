// kill -9 in the middle of every kind of save (tests/helpers/kill_harness.cpp
// does the killing): the file a save replaces is afterwards the old one or
// the new one, whole. Ten kills per kind here; `tqkill` alone runs 200.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/expect.h"
#include "support/run_cli.h"

namespace tq::testing {
namespace {

CliResult RunKillHarness(const std::string& kind, int kills) {
    const std::string command = std::string(TQ_BIN_DIR) + "/tqkill --seed 27 --kills " + std::to_string(kills) +
                                " --kind " + kind + " 2>&1";
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, "", "cannot start " + command};
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) result.out.append(chunk, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(KillDuringSave, LeavesTheOldFileOrTheNewOneWhole) {
    for (const char* kind : {"bin", "hex", "srec", "convert", "merge", "devini", "userchips", "dbupgrade"}) {
        SCOPED_TRACE(kind);
        const CliResult run = RunKillHarness(kind, 10);
        EXPECT_THAT(run, ExitedWith(0));
        EXPECT_SAYS(run.out, "10 kills");
        EXPECT_SAYS(run.out, " 0 broken");
    }
}

}  // namespace
}  // namespace tq::testing
