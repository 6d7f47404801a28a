// `detect` against the simulated socket: one chip with the ID is named and
// selected, several are listed and the selection stays, no answer fails.
#include <gtest/gtest.h>

#include "cli/exit_status.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;

TEST(DetectCli, NamesTheOnlyChipWithTheIdListsSeveralAndFailsWithoutAnId) {
    testing::SimCliFolder folder;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string line;  // a status line on stderr
        std::string out;
        std::string err;   // the end of stderr
    };
    const Case cases[] = {
        {{"--sim-chip", "GD25Q64", "detect"},
         0,
         " 检测并识别到芯片，型号：GD25Q64 容量：8 MiB (64 Mbit)\n",
         "芯片名称  类型       厂商        容量  ID\n"
         "GD25Q64   SPI FLASH  GIGADEVICE  8MB   C84017\n",
         ""},
        // 4-byte-address parts above 16 MiB, 1.8 V and 3.3 V.
        {{"--sim-chip", "XM25RU256C", "--lang", "2", "detect"},
         0,
         " Chip detected and identified, model:XM25RU256C Capacity:32 MiB (256 Mbit)\n",
         "Chip name   Type       Maker  Size  ID\n"
         "XM25RU256C  SPI FLASH  XMC    32MB  204419\n",
         ""},
        {{"--sim-chip", "MX77L25650F", "--lang", "2", "detect"},
         0,
         " Chip detected and identified, model:MX77L25650F Capacity:32 MiB (256 Mbit)\n",
         "Chip name    Type       Maker     Size  ID\n"
         "MX77L25650F  SPI FLASH  MACRONIX  32MB  C27519\n",
         ""},
        // The selection made with -c before detecting stays.
        {{"--sim-chip", "W25Q64FV", "-c", "GD25Q64", "--lang", "2", "detect"},
         1,
         "",
         "These chips share the ID EF4017:\n"
         "Chip name    Type       Maker     Size  ID\n"
         "W25Q64BV     SPI FLASH  WINBOND   8MB   EF4017\n"
         "W25Q64FV     SPI FLASH  WINBOND   8MB   EF4017\n"
         "W25Q64JV-IQ  SPI FLASH  WINBOND   8MB   EF4017\n"
         "W25Q64CV     SPI FLASH  WINBOND   8MB   EF4017\n"
         "S25FL064K    SPI FLASH  SPANSION  8MB   EF4017\n"
         "The selected chip is unchanged: GD25Q64\n",
         "tqprog-cli: several chips match: choose one of them with -c NAME\n"},
        // An empty socket answers with the error byte set; a 24 EEPROM with its family only.
        {{"--sim-chip", "none", "--lang", "2", "detect"}, 1, "Detect chip error! Please select the chip yourself!\n", "",
         "tqprog-cli: the chip detection failed\n"},
        {{"--sim-chip", "24C02", "--lang", "2", "detect"}, 1, "Detect chip error! Please select the chip yourself!\n", "",
         "tqprog-cli: the chip detection failed\n"},
        {{"--sim-chip", "GD25Q64", "-c", "NO-SUCH-CHIP", "--lang", "2", "detect"}, kExitUnknownChip, "", "",
         "tqprog-cli: the chip database has no chip named NO-SUCH-CHIP\n"},
    };
    for (const Case& c : cases) {
        const CliResult run = folder.RunSimulated(c.args);
        SCOPED_TRACE(c.args.front() + " " + c.args[1]);
        EXPECT_EQ(run.status, c.status) << run.err;
        // Status lines go to stderr and start with the time of day; stdout
        // holds the chips alone.
        EXPECT_NE(run.err.find(c.line), std::string::npos) << run.err;
        EXPECT_TRUE(run.err.ends_with(c.err)) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

}  // namespace
}  // namespace tq
