// An offline project for every programmer of a line: three simulated
// programmers mounted as drives, each given its own range of serial numbers
// from the ledger.
#include <gtest/gtest.h>

#include "e2e/kernel_path.h"
#include "support/program_folder.h"

namespace tq {
namespace {

using namespace testing;

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
    for (size_t at = log.out.find("\r\n") + 2; at < log.out.size(); at = log.out.find("\r\n", at) + 2) {
        const std::string line = log.out.substr(at, log.out.find("\r\n", at) - at);
        // programmer, serial, result, message
        std::vector<std::string> fields;
        for (size_t from = 0, comma; from <= line.size(); from = comma + 1) {
            comma = line.find(',', from);
            if (comma == std::string::npos) comma = line.size();
            fields.push_back(line.substr(from, comma - from));
        }
        ASSERT_EQ(fields.size(), 13u) << line;
        rows.push_back(fields[2] + " " + fields[7] + " " + fields[10] + fields[12]);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "SN-A 4096 passed: serial numbers 4096 to 4145", "SN-B 4146 passed: serial numbers 4146 to 4195",
                        "SN-C 4196 passed: serial numbers 4196 to 4245", "SN-A 4246 passed: serial numbers 4246 to 4295",
                        "SN-B 4296 passed: serial numbers 4296 to 4345", "SN-C 4346 passed: serial numbers 4346 to 4395"}));
}

}  // namespace
}  // namespace tq
