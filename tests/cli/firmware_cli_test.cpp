// The firmware commands run in-process against the simulated programmer.
// The CLI runs on the real clock: these cases stay on the short paths.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_context.h"
#include "support/firmware_package_builder.h"
#include "support/scratch_folder.h"
#include "support/expect.h"

namespace tq {
namespace {

using testing::FirmwarePackage;

struct CliRun {
    int status;
    std::string out, err;
};

struct FirmwareCliFixture : ::testing::Test {
    testing::ScratchFolder folder;

    // Every run starts by opening the chip database of the program folder.
    FirmwareCliFixture() {
        std::filesystem::copy_file(std::filesystem::path(TQ_BIN_DIR) / "login.dat", folder.path() / "login.dat");
    }

    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"tqprog-cli", "--program-dir", folder.path().string()});
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        std::ostringstream out, err;
        const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
        return {status, out.str(), err.str()};
    }
    std::string Package(const testing::FirmwarePackageBuilder& builder, const std::string& name) {
        const std::string path = folder.File(name);
        EXPECT_TRUE(builder.WriteTo(path));
        return path;
    }
};

TEST_F(FirmwareCliFixture, UpdateWithAValidPackageEndsWithTheSuccessTextAndTheNewVersion) {
    const std::string package = Package(FirmwarePackage(testing::SampleImage(1000)), "good.tqmv");
    const CliRun run = Run({"--simulator", "firmware", "update", package, "--yes"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_SAYS(run.err, "good.tqmv");  // the question, answered by --yes
    EXPECT_SAYS(run.err, "1000/1000=>100%\nIAP下载成功\n系统烧写完成，共耗时");
    EXPECT_SAYS(run.out, "Firmware version: V1.03\n");
}

TEST_F(FirmwareCliFixture, WithoutYesAndWithoutATerminalTheUpdateIsRefusedBeforeAnythingIsSent) {
    const std::string package = Package(FirmwarePackage(testing::SampleImage(1000)), "good.tqmv");
    const CliRun run = Run({"--simulator", "--lang", "2", "firmware", "update", package});
    EXPECT_EQ(run.status, 1);
    EXPECT_SAYS(run.err, "Do not unplug the programmer");
    EXPECT_SAYS(run.err, "give --yes");
    EXPECT_NOT_SAYS(run.err, "=>");
    EXPECT_NOT_SAYS(run.out, "Firmware version");
}

TEST_F(FirmwareCliFixture, UpdateFailuresExitNonZeroWithTheReason) {
    struct Case {
        const char* name;
        std::vector<std::string> args;  // after --simulator
        std::string shown;              // the update's log on stdout or a message on stderr
        std::string reason;             // on stderr
    };
    const std::string other = Package(FirmwarePackage(testing::SampleImage(100), "TQM7300A"), "other.tqmv");
    testing::FirmwarePackageBuilder noImage;
    noImage.Add("ver.bin", testing::VersionRecord());
    const std::string imageless = Package(noImage, "noimage.tqmv");
    const std::string missing = folder.File("missing.tqmv");
    const Case cases[] = {
        {"another model", {"firmware", "update", other}, "TQMV升级文件格式异常，请确认！\n", "不是本编程器的固件升级包"},
        {"another model in English", {"--lang", "2", "firmware", "update", other},
         "The TQMV update file is malformed. Please check it!\n", "not a firmware package"},
        {"missing package", {"firmware", "update", missing}, "无法读取升级文件：" + missing + "\n", "无法读取升级包：" + missing},
        // The dialog's procedure refuses the package before the boot command, so this ends at once.
        {"--wait-boot without an image", {"firmware", "update", "--wait-boot", imageless}, "IAP文件格式异常，请确认！\n",
         "不是本编程器的固件升级包"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"--simulator"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Run(args);
        EXPECT_NE(run.status, 0);
        EXPECT_SAYS((run.out + run.err), c.shown);
        EXPECT_SAYS(run.err, c.reason);
        EXPECT_NOT_SAYS(run.out, "Firmware version");
    }
}

TEST_F(FirmwareCliFixture, InspectListsEntriesAndTheVersionRecord) {
    const std::string good = Package(FirmwarePackage(testing::SampleImage(1000)), "good.tqmv");
    CliRun run = Run({"firmware", "inspect", good});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Entries: 2\n"
              "  ver.bin  offset 2048  length 23\n"
              "  iap.bin  offset 2071  length 1000\n"
              "Version record: Dev \"TQM7300B\", VER \"001\" (for this programmer)\n");

    testing::FirmwarePackageBuilder damaged = FirmwarePackage(testing::SampleImage(10), "M500", "002");
    damaged.entries[1].length = 0x10000;
    run = Run({"firmware", "inspect", Package(damaged, "damaged.tqmv")});
    EXPECT_EQ(run.status, 0);
    EXPECT_SAYS(run.out, "  iap.bin  offset 2067  length 65536  (reaches beyond the end of the file)\n");
    EXPECT_SAYS(run.out, "Dev \"M500\", VER \"002\" (not for this programmer)");

    testing::FirmwarePackageBuilder notAPackage = FirmwarePackage(testing::SampleImage(10));
    notAPackage.formatByte0 = 0;
    run = Run({"firmware", "inspect", Package(notAPackage, "x.bin")});
    EXPECT_NE(run.status, 0);
    EXPECT_SAYS(run.err, "不是固件升级包（未知的文件头）");
}

}  // namespace
}  // namespace tq
