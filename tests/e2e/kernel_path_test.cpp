// The Linux transfer path a real programmer uses (discovery, Write.Temp
// opened unbuffered, whole-sector transfers through the kernel) against the
// simulated programmer mounted as a drive.
#include <gtest/gtest.h>

#include <random>

#include "e2e/kernel_path.h"
#include "cli/exit_status.h"
#include "support/program_folder.h"

namespace tq {
namespace {

using namespace testing;

struct KernelPath : ::testing::Test {
    ProgramFolder folder;
    int runs = 0;

    void SetUp() override {
        if (const std::string reason = KernelPathUnavailable(); !reason.empty()) GTEST_SKIP() << reason;
        for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(name);
    }

    // tqprog-cli --program-dir FOLDER --lang 2 ARGS..., as its own process.
    ProcessResult Cli(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        std::vector<std::string> argv = {BinFile("tqprog-cli"), "--program-dir", folder.path().string(), "--lang", "2"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, env, folder / ("cli-" + std::to_string(++runs)));
    }

    std::vector<uint8_t> RandomImage(size_t size) {
        std::vector<uint8_t> image(size);
        std::mt19937 random(static_cast<unsigned>(size));
        for (uint8_t& b : image) b = static_cast<uint8_t>(random());
        return image;
    }
};

#define MOUNT_OR_SKIP(var, name, ...)                                                                        \
    std::string var##Skip, var##Failure;                                                                     \
    auto var = MountedDrive::Start(folder / (name), folder.path(), __VA_ARGS__, var##Skip, var##Failure);    \
    if (!var && !var##Skip.empty()) GTEST_SKIP() << var##Skip;                                               \
    ASSERT_TRUE(var) << var##Failure

TEST_F(KernelPath, IdentifiesThenWritesReadsAndVerifiesSmallChipsThroughTheDrive) {
    struct Case {
        std::string chip;
        size_t size;
    };
    for (const Case& c : {Case{"W25X05", 65536}, Case{"24C02", 256}}) {
        SCOPED_TRACE(c.chip);
        const fs::path state = folder / ("state-" + c.chip);
        MOUNT_OR_SKIP(drive, "drive-" + c.chip, {"--sim-chip", c.chip, "--sim-state", state.string()});
        const std::string root = drive->root().string();

        const ProcessResult info = Cli({"--device", root, "--trace", "info"});
        ASSERT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.out.find("Model:            TQM7300B\n"), std::string::npos) << info.out;
        EXPECT_NE(info.err.find("> 02 10 00 01 00 00 03 B4\n< 02 00 00 01 00 05 56 31 2E 30 32"), std::string::npos)
            << info.err;
        // Write.Temp was opened with O_DIRECT, not the uncached fallback.
        EXPECT_EQ(info.err.find("refuses unbuffered I/O"), std::string::npos) << info.err;

        const std::vector<uint8_t> image = RandomImage(c.size);
        const std::string in = folder.Write(c.chip + ".bin", image).string();
        const std::string out = folder.File(c.chip + "-read.bin");
        const ProcessResult write = Cli({"--device", root, "-c", c.chip, "write", in});
        ASSERT_EQ(write.status, 0) << write.err;
        const ProcessResult read = Cli({"--device", root, "-c", c.chip, "read", out});
        ASSERT_EQ(read.status, 0) << read.err;
        EXPECT_EQ(ReadBytes(out), image);
        const ProcessResult verify = Cli({"--device", root, "-c", c.chip, "verify", in});
        EXPECT_EQ(verify.status, 0) << verify.err;

        // The bytes are in the simulated chip, kept when the drive unmounts.
        EXPECT_EQ(drive->Stop(), 0) << drive->daemon().err();
        EXPECT_NE(VolumeBytes(root), 4608u);
        EXPECT_EQ(ReadBytes(state / ("chip-" + c.chip + ".bin")), image);
    }
}

TEST_F(KernelPath, ADrivePulledInTheMiddleOfAWriteFailsItAndNothingReportsSuccess) {
    // Identification, chip selection (twice: restored, then -c), socket
    // check, indicator and the write header take 17 transfers; the 64 KiB
    // image follows in 32 blocks of 2048 bytes.
    MOUNT_OR_SKIP(drive, "drive", {"--sim-chip", "W25X05", "--sim-unplug-after", "24"});
    const std::string root = drive->root().string();
    const std::string in = folder.Write("image.bin", RandomImage(65536)).string();

    const ProcessResult write = Cli({"--device", root, "-c", "W25X05", "--trace", "write", in});
    EXPECT_EQ(write.status, 1) << write.err;
    EXPECT_NE(write.err.find("the write failed"), std::string::npos) << write.err;
    EXPECT_NE(write.err.find("Write communication error"), std::string::npos) << write.err;
    EXPECT_EQ((write.out + write.err).find("succeeded"), std::string::npos) << write.out << write.err;
    EXPECT_NE(write.err.find("> [block of 2048 bytes]"), std::string::npos) << "the write stream never started";

    // The drive is gone: its daemon unmounted it and ended.
    EXPECT_EQ(drive->daemon().Wait(10s), 0) << drive->daemon().err();
    EXPECT_NE(VolumeBytes(root), 4608u);
    const ProcessResult after = Cli({"--device", root, "info"});
    EXPECT_EQ(after.status, kExitNoProgrammer);
    EXPECT_NE(after.err.find("no programmer found"), std::string::npos) << after.err;
}

TEST_F(KernelPath, DevicesListsEveryMountedDriveOfTqprogDevicesInOrder) {
    MOUNT_OR_SKIP(first, "first", {"--sim-serial", "SN-FIRST"});
    MOUNT_OR_SKIP(second, "second", {"--sim-serial", "SN-SECOND"});
    MOUNT_OR_SKIP(mute, "mute", {"--sim-silent", "10"});
    const fs::path plain = folder / "plain";  // an ordinary folder: no programmer
    fs::create_directories(plain);
    const std::string a = first->root().string(), b = second->root().string(), m = mute->root().string();
    const std::vector<std::string> env = {"TQPROG_DEVICES=" + a + "::" + plain.string() + ":" + b + ":" + m};

    const ProcessResult json = Cli({"devices", "--json"}, env);
    ASSERT_EQ(json.status, 0) << json.err;
    const auto entry = [](const std::string& root, const std::string& serial, bool answered) {
        return "{\"root\": \"" + root + "\", \"answered\": " + (answered ? "true" : "false") + ", \"model\": \"" +
               (answered ? "TQM7300B" : "") + "\", \"serial\": \"" + serial + "\", \"firmware\": \"" +
               (answered ? "V1.02" : "") + "\", \"hardware\": \"" + (answered ? "TQM7300B-HW2.1" : "") + "\"}";
    };
    EXPECT_EQ(json.out, "[" + entry(a, "SN-FIRST", true) + ",\n " + entry(b, "SN-SECOND", true) + ",\n " +
                            entry(m, "", false) + "]\n");

    // Without --device a command takes the first of them.
    const ProcessResult info = Cli({"info"}, env);
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Serial number:    SN-FIRST"), std::string::npos) << info.out;
}

}  // namespace
}  // namespace tq
