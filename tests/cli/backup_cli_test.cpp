// --backup / --no-backup on erase, write and auto, and the blank check
// before write, run in turn on one simulated flash chip kept in a state folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/buffer/backup_store.h"
#include "support/expect.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;
using testing::ExitedWith;

TEST(BackupCli, ANotBlankRangeRefusesTheWriteUnlessToldWhatToDoAndBackupsGoWhereNamed) {
    testing::SimCliFolder folder;
    folder.WriteBytes("a.bin", std::string(4096, '\x0F'));
    folder.WriteBytes("b.bin", std::string(4096, '\xF0'));
    const std::string backups = folder.File("kept");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string phrase;
        size_t backupsAfter;
    } steps[] = {
        {{"write", folder.File("a.bin")}, 0, "The range to be written, 0x000000-0x000FFF, is blank", 0},
        {{"write", folder.File("a.bin"), "--backup", backups}, 1,
         "tqprog-cli: the range to be written is not blank; nothing was written. Use --erase-first", 1},
        {{"write", folder.File("b.bin"), "--write-over"}, 0, "Write succeeded", 1},
        {{"write", folder.File("b.bin"), "--erase-first", "--backup", backups}, 0, "Erase succeeded", 2},
        {{"verify", folder.File("b.bin")}, 0, "Verify succeeded", 2},
        {{"auto", folder.File("a.bin"), "--no-backup"}, 0, "Auto Operation succeeded", 2},
        {{"auto", folder.File("a.bin"), "--backup", backups}, 0, "Chip backed up to " + backups, 3},
        {{"erase", "--backup", backups, "--no-backup"}, 2, "excludes", 3},
        {{"write", folder.File("a.bin"), "--erase-first", "--write-over"}, 2, "excludes", 3},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args[0] + " " + step.args.back());
        std::vector<std::string> args = {"--sim-state", folder.File("S"), "--sim-chip", "A25L010", "-c", "A25L010",
                                         "--sim-erase-ms", "0", "--lang", "2"};
        args.insert(args.end(), step.args.begin(), step.args.end());
        const CliResult run = folder.RunSimulated(args);
        EXPECT_THAT(run, ExitedWith(step.status));
        EXPECT_SAYS(run.err, step.phrase);
        EXPECT_EQ(ListBackups(backups).size(), step.backupsAfter);
    }
}

}  // namespace
}  // namespace tq
