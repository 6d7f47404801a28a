// `user-chips` on a copy of the built chip database: add, list, modify,
// delete, and the refusals with their messages.
#include <gtest/gtest.h>

#include "core/chipdb/chip_database.h"
#include "support/sim_cli_folder.h"
#include "support/expect.h"

namespace tq {
namespace {

using testing::CliResult;

TEST(UserChipsCli, AddListModifyAndDeleteRoundTrip) {
    testing::SimCliFolder folder;
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    };
    const Step steps[] = {
        {{"user-chips", "list"}, 0, "User Self-Def Chip       0\n", ""},
        {{"user-chips", "add", "MY25Q64", "--algorithm", "W25Q64FV", "--maker", "ACME", "--id", "AB4017"}, 0,
         "Done: MY25Q64\n", ""},
        {{"user-chips", "add", "MY25Q64", "--algorithm", "W25Q64FV"}, 1,
         "", "A chip with this name already exists! Please choose another name!\n"},
        {{"user-chips", "add", "OTHER", "--algorithm", "NO-SUCH-CHIP"}, 1, "", "Algorithm error! Please retry!\n"},
        {{"user-chips", "add", "OTHER", "--algorithm", "W25X10", "--id", "12345"}, 1,
         "", "The chip ID must be six hexadecimal digits!\n"},
        {{"user-chips", "add", " ", "--algorithm", "W25X10"}, 1,
         "", "The chip name must not be blanks only or contain a line break!\n"},
        // Nothing of the chip the dialog showed first slips into a new one.
        {{"user-chips", "add", "PLAIN", "--algorithm", "W25X10"}, 0, "Done: PLAIN\n", ""},
        {{"user-chips", "list"}, 0,
         "User Self-Def Chip       2\n"
         "Chip name  Maker  ID      Capacity\n"
         "MY25Q64    ACME   AB4017  8388608\n"
         "PLAIN                     131072\n",
         ""},
        {{"user-chips", "delete", "PLAIN"}, 0, "Done: PLAIN\n", ""},
        // Capacity from the new algorithm, the maker kept, the ID replaced.
        {{"user-chips", "modify", "MY25Q64", "--algorithm", "W25Q32FV", "--id", "AB4016"}, 0, "Done: MY25Q64\n", ""},
        {{"user-chips", "list"}, 0,
         "User Self-Def Chip       1\n"
         "Chip name  Maker  ID      Capacity\n"
         "MY25Q64    ACME   AB4016  4194304\n",
         ""},
        {{"user-chips", "delete", "GD25Q64"}, 1, "", "tqprog-cli: there is no user chip named GD25Q64\n"},
        {{"user-chips", "delete", "MY25Q64"}, 0, "Done: MY25Q64\n", ""},
        {{"user-chips", "list"}, 0, "User Self-Def Chip       0\n", ""},
    };
    for (const Step& step : steps) {
        std::vector<std::string> args = {"--lang", "2"};
        args.insert(args.end(), step.args.begin(), step.args.end());
        const CliResult run = folder.Run(args);
        SCOPED_TRACE(step.args[1] + " " + (step.args.size() > 2 ? step.args[2] : ""));
        EXPECT_EQ(run.status, step.status) << run.err;
        EXPECT_EQ(run.out, step.out);
        EXPECT_EQ(run.err, step.err);
    }
}

TEST(UserChipsCli, AUserChipIsDetectedLikeAnyOther) {
    testing::SimCliFolder folder;
    ASSERT_EQ(folder.Run({"user-chips", "add", "MY25Q64", "--algorithm", "W25Q64FV", "--maker", "ACME", "--id", "AB4017"})
                  .status,
              0);
    const CliResult run = folder.RunSimulated({"--sim-chip", "MY25Q64", "--lang", "2", "detect"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_SAYS(run.err, " Chip detected and identified, model:MY25Q64 Capacity:8 MiB (64 Mbit)\n");
}

// Exported from one program folder, imported into another: the same rows; a
// second import refuses every row by name.
TEST(UserChipsCli, ExportAndImportCarryTheUserChipsToAnotherFolder) {
    testing::SimCliFolder from, to;
    ASSERT_EQ(from.Run({"user-chips", "add", "MY25Q64", "--algorithm", "W25Q64FV", "--maker", "ACME, Inc.", "--id",
                        "AB4017"})
                  .status,
              0);
    ASSERT_EQ(from.Run({"user-chips", "add", "PLAIN", "--algorithm", "W25X10"}).status, 0);
    const std::string file = from.File("mine.csv");
    CliResult run = from.Run({"--lang", "2", "user-chips", "export", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "User chips exported: 2\n");

    run = to.Run({"--lang", "2", "user-chips", "import", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "User chips imported: 2\n");
    EXPECT_EQ(ChipDatabase::Open(to / "login.dat")->UserRowsQuery(),
              ChipDatabase::Open(from / "login.dat")->UserRowsQuery());

    run = to.Run({"--lang", "2", "user-chips", "import", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "User chips imported: 0\n"
              "line 2 (MY25Q64): a chip of this name already exists\n"
              "line 3 (PLAIN): a chip of this name already exists\n");
}

}  // namespace
}  // namespace tq
