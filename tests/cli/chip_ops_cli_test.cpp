// The chip operation commands, run in-process against the simulated
// programmer on the real clock: one random 8 MiB image through auto, verify
// and read in separate runs sharing one --sim-state folder, and every way
// a command fails with its message and exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "cli/chip_command.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;

struct ChipOpsCli : ::testing::Test {
    testing::SimCliFolder folder;

    std::string RandomImage(const std::string& name, size_t size) const {
        std::string bytes(size, '\0');
        std::mt19937_64 random(20240611);
        for (size_t i = 0; i < size; i += 8) {
            const uint64_t word = random();
            std::memcpy(bytes.data() + i, &word, std::min<size_t>(8, size - i));
        }
        folder.WriteBytes(name, bytes);
        return folder.File(name);
    }
};

TEST_F(ChipOpsCli, ARandom8MiBImageRoundTripsThroughAutoVerifyAndRead) {
    const std::string image = RandomImage("image.bin", 8u << 20);
    const std::string state = folder.File("S");
    // Erase time 0: the erase still waits one 2-second poll, not the chip's 20 s.
    const CliResult automatic = folder.RunSimulated(
        {"--sim-state", state, "--sim-chip", "GD25Q64", "-c", "GD25Q64", "--sim-erase-ms", "0", "auto", image});
    ASSERT_EQ(automatic.status, 0) << automatic.err;
    EXPECT_NE(automatic.err.find("擦除芯片\n"), std::string::npos) << automatic.err;
    EXPECT_NE(automatic.err.find("写入长度：8388608\n"), std::string::npos) << automatic.err;
    EXPECT_NE(automatic.err.find(" 自动烧录成功！共耗时"), std::string::npos) << automatic.err;

    // Later runs find the chip as the first one left it.
    const CliResult verify = folder.RunSimulated({"--sim-state", state, "-c", "GD25Q64", "verify", image});
    ASSERT_EQ(verify.status, 0) << verify.err;
    EXPECT_NE(verify.err.find(" 校验芯片，成功！共耗时"), std::string::npos) << verify.err;
    EXPECT_EQ(verify.out, "");  // status lines go to stderr, so stdout stays clean for pipes

    const std::string out = folder.File("out.bin");
    const CliResult read = folder.RunSimulated({"--sim-state", state, "-c", "GD25Q64", "read", out});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_TRUE(folder.ReadBytes("out.bin") == folder.ReadBytes("image.bin"));

    const CliResult blank = folder.RunSimulated({"--sim-state", state, "-c", "GD25Q64", "blank"});
    EXPECT_EQ(blank.status, kExitFailed);
    EXPECT_TRUE(blank.err.ends_with("tqprog-cli: 芯片不是空的\n")) << blank.err;
}

TEST_F(ChipOpsCli, WritesAHexFileFromTheStartAddressAndReadsItBack) {
    folder.WriteBytes("data.hex", ":0400000001020304F2\n:00000001FF\n");
    const std::string state = folder.File("S");
    const CliResult write =
        folder.RunSimulated({"--sim-state", state, "--lang", "2", "write", folder.File("data.hex"), "-c", "MX25L512E",
                             "--start", "100"});
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_NE(write.err.find(" Write succeeded, time used:"), std::string::npos) << write.err;

    const CliResult read = folder.RunSimulated({"--sim-state", state, "-c", "MX25L512E", "read", folder.File("chip")});
    ASSERT_EQ(read.status, 0) << read.err;
    std::string expected(65536, '\xFF');
    expected.replace(0x100, 4, "\x01\x02\x03\x04");
    EXPECT_TRUE(folder.ReadBytes("chip") == expected);  // no ".bin" added to the name given
}

TEST_F(ChipOpsCli, TheChipTheSettingsRememberGetsABufferToo) {
    folder.WriteGbk("dev.ini", "[PrjInfo]\nChipName=W25X10\n");
    const std::string image = RandomImage("image.bin", 300);
    const std::string state = folder.File("S");
    ASSERT_EQ(folder.RunSimulated({"--sim-state", state, "-c", "W25X10", "write", image}).status, 0);
    ASSERT_EQ(folder.RunSimulated({"--sim-state", state, "-c", "W25X10", "read", folder.File("chip.bin")}).status, 0);
    std::string expected = folder.ReadBytes("image.bin");
    expected.resize(131072, '\xFF');
    EXPECT_TRUE(folder.ReadBytes("chip.bin") == expected);
}

TEST_F(ChipOpsCli, FailuresNameTheirCauseAndEndWithTheirStatus) {
    const std::string image = RandomImage("image.bin", 4096);
    RandomImage("64.bin", 64);
    folder.WriteBytes("empty.bin", "");
    folder.WriteBytes("noend.hex", ":020000040800F2\n");  // no data record and no end record
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;   // the last line on stderr
        std::string line;  // a status line the run printed before it, or empty
    };
    const Case cases[] = {
        {{"--simulator", "--sim-chip", "none", "-c", "GD25Q64", "erase"}, kExitEmptySocket,
         "tqprog-cli: 插座中没有芯片\n", " 没有芯片放入，请确认！\n"},
        {{"--simulator", "--sim-chip", "none", "--lang", "2", "-c", "GD25Q64", "blank"}, kExitEmptySocket,
         "tqprog-cli: no chip in the socket\n", ""},
        {{"--simulator", "-c", "NO-SUCH-CHIP", "erase"}, kExitUnknownChip,
         "tqprog-cli: 芯片数据库中没有该芯片：NO-SUCH-CHIP\n", ""},
        {{"--simulator", "--lang", "2", "read", "x.bin"}, kExitUnknownChip,
         "tqprog-cli: no chip selected: name one with -c NAME\n", ""},
        // The chip starts erased: a random file differs at its first byte.
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "verify", image}, kExitFailed,
         "tqprog-cli: the verify failed: the chip differs from the file\n", " Verify failed at 0x000000: expected 0x"},
        {{"--device", folder.File("no-programmer"), "--lang", "2", "-c", "GD25Q64", "erase"}, kExitNoProgrammer,
         "tqprog-cli: no programmer found (no removable 4608-byte volume holding Write.Temp)\n", ""},
        {{"--device", folder.File("no-programmer"), "--lang", "2", "selfcheck"}, kExitNoProgrammer,
         "tqprog-cli: no programmer found (no removable 4608-byte volume holding Write.Temp)\n", ""},
        {{"--simulator", "--lang", "2", "--sim-chip", "NO-SUCH-CHIP", "-c", "GD25Q64", "erase"}, kExitFailed,
         "tqprog-cli: --sim-chip: the chip database has no chip named NO-SUCH-CHIP\n", ""},
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "--start", "12G", "write", image}, kExitUsage,
         "tqprog-cli: --start wants 1 to 8 hexadecimal digits, not \"12G\"\n", ""},
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "--start", "", "write", image}, kExitUsage,
         "tqprog-cli: --start wants 1 to 8 hexadecimal digits, not \"\"\n", ""},
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "--start", "800000", "write", image}, kExitFailed,
         "tqprog-cli: --start lies beyond the end of the chip: 800000\n", ""},
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "write", folder.File("missing.bin")}, kExitFailed, "", ""},
        // Files that yield no data and data past the chip: refused before anything reaches the chip.
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "auto", folder.File("noend.hex")}, kExitFailed,
         "tqprog-cli: The file holds no data: " + folder.File("noend.hex") + "\nno end-of-file record; the image is empty\n", ""},
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "verify", folder.File("empty.bin")}, kExitFailed,
         "tqprog-cli: The file holds no data: " + folder.File("empty.bin") + "\n", ""},
        {{"--simulator", "--lang", "2", "-c", "24C02", "--start", "F0", "write", folder.File("64.bin")}, kExitFailed,
         "tqprog-cli: " + folder.File("64.bin") +
             " holds 64 bytes, but the chip holds only 16 bytes from 0xF0: 48 bytes do not fit (--truncate uses the "
             "part that fits)\n",
         ""},
        {{"--simulator", "--lang", "2", "-c", "GD25Q64", "auto", image, "--no-erase", "--no-write", "--no-verify"},
         kExitFailed,
         "tqprog-cli: the auto run has no step selected (Erase/Write/Verify settings and --no-* options)\n",
         " Auto Operation: no step selected!\n"},
    };
    for (const Case& c : cases) {
        const CliResult run = folder.Run(c.args);
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(run.status, c.status) << run.err;
        if (!c.err.empty()) {
            EXPECT_TRUE(run.err.ends_with(c.err)) << run.err;
        } else {
            EXPECT_NE(run.err.find("missing.bin"), std::string::npos) << run.err;
        }
        EXPECT_NE(run.err.find(c.line), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(ChipOpsCli, AFileLongerThanTheChipIsRefusedUnlessTruncateIsGiven) {
    const std::string image = RandomImage("1k.bin", 1024);
    const std::string state = folder.File("S");
    for (const char* command : {"write", "verify", "auto"}) {
        SCOPED_TRACE(command);
        const CliResult refused = folder.RunSimulated({"--sim-state", state, "--lang", "2", "-c", "24C02", command, image});
        EXPECT_EQ(refused.status, kExitFailed);
        EXPECT_TRUE(refused.err.ends_with("768 bytes do not fit (--truncate uses the part that fits)\n")) << refused.err;
    }
    // Nothing reached the chip.
    ASSERT_EQ(folder.RunSimulated({"--sim-state", state, "-c", "24C02", "read", folder.File("out.bin")}).status, 0);
    EXPECT_EQ(folder.ReadBytes("out.bin"), std::string(256, '\xFF'));
    const CliResult written =
        folder.RunSimulated({"--sim-state", state, "--lang", "2", "-c", "24C02", "write", image, "--truncate"});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.err.find("--truncate: only the first 256 bytes of " + image +
                               " are used; the 768 bytes from file address 0x100 on are left out"),
              std::string::npos)
        << written.err;
    ASSERT_EQ(folder.RunSimulated({"--sim-state", state, "-c", "24C02", "read", folder.File("out.bin")}).status, 0);
    EXPECT_EQ(folder.ReadBytes("out.bin"), folder.ReadBytes("1k.bin").substr(0, 256));
}

TEST_F(ChipOpsCli, AStateFolderThatCannotBeWrittenFailsTheRun) {
    folder.WriteBytes("not-a-folder", "x");
    const CliResult run =
        folder.RunSimulated({"--lang", "2", "--sim-state", folder.File("not-a-folder"), "--sim-chip", "none", "-c", "GD25Q64", "info"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("--sim-state: the simulated memories were not kept: "), std::string::npos) << run.err;
}

TEST_F(ChipOpsCli, AReadEndsSayingHowFastTheBytesCame) {
    const CliResult read =
        folder.RunSimulated({"--sim-chip", "GD25Q64", "-c", "GD25Q64", "read", folder.File("out.bin")});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_THAT(read.err, ::testing::ContainsRegex(" 读取芯片，成功！共耗时[0-9.]+秒  [0-9]+\\.[0-9] [KM]iB/s\n"));
}

}  // namespace
}  // namespace tq
