// A line of three simulated programmers mounted as drives: an offline
// project for each with its own range of serial numbers from the ledger,
// and the auto sequence on all of them at once, one pulled mid-write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/kernel_path.h"
#include "support/program_folder.h"

namespace tq {
namespace {

using namespace testing;

// The fields of the log's CSV rows (the header left out); a quoted field
// ("erase,write,verify") keeps its commas.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    for (size_t at = csv.find("\r\n") + 2; at < csv.size(); at = csv.find("\r\n", at) + 2) {
        const std::string line = csv.substr(at, csv.find("\r\n", at) - at);
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') fields.back() += line[++i];
            else if (line[i] == '"') quoted = !quoted;
            else if (line[i] == ',' && !quoted) fields.emplace_back();
            else fields.back() += line[i];
        }
        rows.push_back(fields);
    }
    return rows;
}

TEST(ProductionLine, EachProgrammerGetsItsOwnSerialRangeInItsProject) {
    if (const std::string reason = KernelPathUnavailable(); !reason.empty()) GTEST_SKIP() << reason;
    ProgramFolder folder;
    for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(name);
    std::vector<std::unique_ptr<MountedDrive>> drives;
    std::string devices = "TQPROG_DEVICES=";
    for (const char* serial : {"SN-A", "SN-B", "SN-C"}) {
        std::string skip, failure;
        drives.push_back(MountedDrive::Start(folder / serial, folder.path(), {"--sim-serial", serial}, skip, failure));
        if (!drives.back() && !skip.empty()) GTEST_SKIP() << skip;
        ASSERT_TRUE(drives.back()) << failure;
        devices += (drives.size() > 1 ? ":" : "") + drives.back()->root().string();
    }
    folder.WriteBytes("data.bin", std::string(0x200, '\x33'));
    const auto cli = [&folder, &devices](std::vector<std::string> args, const std::string& stem) {
        args.insert(args.begin(), {BinFile("tqprog-cli"), "--program-dir", folder.path().string(), "--lang", "2"});
        return RunProcess(args, {devices}, folder / stem);
    };
    const std::vector<std::string> download = {"-c", "GD25Q64", "project", "download", (folder / "data.bin").string(),
                                               "--serial", "100:1000:4:little", "--count-limit", "50", "--all",
                                               "--job", "L"};
    const ProcessResult first = cli(download, "download-1");
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_NE(first.out.find("3 of 3 programmers stored the project"), std::string::npos) << first.out;
    // The last programmer's project carries the last range: 4196 = 0x1064.
    EXPECT_NE(folder.ReadGbk("temp/temp.gprj").find("SnValue=00001064"), std::string::npos);
    // A second download goes on where the first stopped.
    const ProcessResult again = cli(download, "download-2");
    ASSERT_EQ(again.status, 0) << again.out << again.err;

    const ProcessResult log = cli({"log", "export", "--csv", "-", "--job", "L"}, "log");
    ASSERT_EQ(log.status, 0) << log.err;
    std::vector<std::string> rows;
    for (const std::vector<std::string>& fields : CsvRows(log.out)) {
        ASSERT_EQ(fields.size(), 13u);
        // programmer, serial, result, message
        rows.push_back(fields[2] + " " + fields[7] + " " + fields[10] + fields[12]);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "SN-A 4096 passed: serial numbers 4096 to 4145", "SN-B 4146 passed: serial numbers 4146 to 4195",
                        "SN-C 4196 passed: serial numbers 4196 to 4245", "SN-A 4246 passed: serial numbers 4246 to 4295",
                        "SN-B 4296 passed: serial numbers 4296 to 4345", "SN-C 4346 passed: serial numbers 4346 to 4395"}));
}

TEST(ProductionLine, AutoAllProgramsEveryDriveAtOnceAndOnePulledMidWriteFailsAlone) {
    if (const std::string reason = KernelPathUnavailable(); !reason.empty()) GTEST_SKIP() << reason;
    ProgramFolder folder;
    for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(name);
    std::string image(0x10000, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 13 + i / 256);
    folder.WriteBytes("image.bin", image);

    // Each round mounts three fresh drives; in the second the middle one is
    // pulled after 40 transfers: past identification, selection, ID read and
    // blank check, inside the 32 blocks of the write.
    struct Round {
        const char* job;
        std::vector<std::string> middleOptions;
        int status;
    };
    for (const Round& round : {Round{"A", {}, 0}, Round{"B", {"--sim-unplug-after", "40"}, 1}}) {
        SCOPED_TRACE(round.job);
        std::vector<std::unique_ptr<MountedDrive>> drives;
        std::string devices = "TQPROG_DEVICES=";
        for (const char* serial : {"SN-A", "SN-B", "SN-C"}) {
            std::vector<std::string> options = {"--sim-serial", serial, "--sim-chip", "W25X05", "--sim-erase-ms", "20"};
            if (std::string(serial) == "SN-B") options.insert(options.end(), round.middleOptions.begin(), round.middleOptions.end());
            std::string skip, failure;
            drives.push_back(MountedDrive::Start(folder / (round.job + std::string("-") + serial), folder.path(), options, skip, failure));
            if (!drives.back() && !skip.empty()) GTEST_SKIP() << skip;
            ASSERT_TRUE(drives.back()) << failure;
            devices += (drives.size() > 1 ? ":" : "") + drives.back()->root().string();
        }
        const auto cli = [&](std::vector<std::string> args, const std::string& stem) {
            args.insert(args.begin(), {BinFile("tqprog-cli"), "--program-dir", folder.path().string(), "--lang", "2"});
            return RunProcess(args, {devices}, folder / (round.job + stem));
        };
        const std::vector<std::string> steps =
            round.status == 0 ? std::vector<std::string>{} : std::vector<std::string>{"--no-erase"};
        std::vector<std::string> run = {"-c", "W25X05", "auto", (folder / "image.bin").string(), "--all", "--job", round.job};
        run.insert(run.end(), steps.begin(), steps.end());
        const ProcessResult line = cli(run, "-auto");
        EXPECT_EQ(line.status, round.status) << line.out << line.err;
        EXPECT_THAT(line.out, ::testing::HasSubstr(round.status == 0 ? "3 of 3 programmers passed" : "2 of 3 programmers passed"));

        // The others hold the image.
        for (size_t i : {0u, 2u}) {
            const std::string out = (folder / (round.job + std::to_string(i) + ".bin")).string();
            const ProcessResult read = cli({"--device", drives[i]->root().string(), "-c", "W25X05", "read", out}, "-read");
            ASSERT_EQ(read.status, 0) << read.err;
            EXPECT_TRUE(folder.ReadBytes(std::filesystem::path(out).filename().string()) == image) << "drive " << i;
        }
        const ProcessResult log = cli({"log", "export", "--csv", "-", "--job", round.job}, "-log");
        ASSERT_EQ(log.status, 0) << log.err;
        std::vector<std::string> rows;
        for (const std::vector<std::string>& fields : CsvRows(log.out)) {
            ASSERT_EQ(fields.size(), 13u);
            // programmer, chip, chip ID, result, message
            rows.push_back(fields[2] + " " + fields[3] + " " + fields[4] + " " + fields[10] + " " + fields[12]);
        }
        std::sort(rows.begin(), rows.end());
        const std::string middle = round.status == 0
                                       ? "SN-B W25X05 EF3010 passed "
                                       : "SN-B W25X05 EF3010 failed the programmer was pulled out or stopped answering during the run";
        EXPECT_EQ(rows, (std::vector<std::string>{"SN-A W25X05 EF3010 passed ", middle, "SN-C W25X05 EF3010 passed "}));
    }
}

}  // namespace
}  // namespace tq
