// read --twice: the contact check from the terminal, its report on stdout
// and its exit statuses (0 stable, 1 the reads differ, 2 usage or a read
// that did not complete).
#include <gtest/gtest.h>

#include "cli/exit_status.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

TEST(ReadTwiceCli, ReportsOnStdoutAndExitsByWhatTheReadsShowed) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;  // the start of stdout
        std::string err;  // a part of stderr; "" none in particular
    } cases[] = {
        {{"read", "--twice"}, kExitOk, "Both reads are identical: the contact is stable. CRC-32 ", ""},
        // The default seed flips bit 2 in the first read and bit 5 in the second.
        {{"--sim-flaky", "10", "read", "--twice"},
         1,
         "The two reads differ: 1 byte(s) in 1 range(s)\n  0x000010: first read FB, second read DF\n",
         ""},
        {{"--sim-flaky", "10,zz", "read", "--twice"}, kExitUsage, "", "--sim-flaky"},
        {{"read"}, kExitUsage, "", "read needs a FILE (or --twice)"},
        {{"read", "--twice", "x.bin"}, kExitUsage, "", "excludes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back() + " " + std::to_string(c.status));
        testing::SimCliFolder folder;
        std::vector<std::string> args{"--lang", "2", "-c", "24C02"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const testing::CliResult result = folder.RunSimulated(args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out.substr(0, c.out.size()), c.out);
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
}

TEST(ReadTwiceCli, KeepsTheImageOnlyWhenBothReadsAgree) {
    for (const bool flaky : {false, true}) {
        testing::SimCliFolder folder;
        std::vector<std::string> args{"--lang", "2", "-c", "24C02", "read", "--twice", "-o", folder.File("good.bin")};
        if (flaky) args.insert(args.begin(), {"--sim-flaky", "0x20"});
        const testing::CliResult result = folder.RunSimulated(args);
        EXPECT_EQ(result.status, flaky ? 1 : 0) << result.err;
        EXPECT_EQ(std::filesystem::exists(folder.File("good.bin")), !flaky);
        if (!flaky) EXPECT_EQ(folder.ReadBytes("good.bin"), std::string(256, '\xFF'));
    }
}

}  // namespace
}  // namespace tq
