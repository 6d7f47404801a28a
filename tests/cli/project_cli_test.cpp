#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "cli/cli_context.h"
#include "support/program_folder.h"

namespace tq {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

struct ProjectCommandTest : ::testing::Test {
    testing::ProgramFolder folder;

    ProjectCommandTest() {
        for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(name);
        std::string data(5000, '\0');
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 13 + i / 200);
        folder.WriteBytes("data.bin", data);
    }

    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"tqprog-cli", "--simulator", "--program-dir", folder.path().string()});
        std::vector<const char*> argv;
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        std::ostringstream out, err;
        const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
        return {status, out.str(), err.str()};
    }
    std::string Data() const { return (folder / "data.bin").string(); }
    // The project file as UTF-8 lines "key=value\n".
    std::string Project() const { return folder.ReadGbk("temp/temp.gprj"); }
};

TEST_F(ProjectCommandTest, StoresAndChecksTheDataOfAGD25Q64Project) {
    // Typed in lower case: the project names the chip as the database spells it.
    const CliRun run = Run({"project", "download", Data(), "-c", "gd25q64"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string tail =
        "工程文件下载\n  下载成功\n数据文件下载\n  下载中，0%\n板载存储擦除&写入\n  50%\n  70%\n  80%\n  擦除&写入完成\n"
        "数据文件校验\n  96%\n  100%\n  校验成功\n";
    ASSERT_GE(run.out.size(), tail.size());
    EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
    EXPECT_EQ(run.out.rfind("文件名: data.bin    CRC32: 0x", 0), 0u) << run.out;
    const std::string project = Project();
    EXPECT_NE(project.find("\nChipName=GD25Q64\nChipID=C84017\n"), std::string::npos) << project;
    EXPECT_NE(project.find("\nFileLen=00001388\n"), std::string::npos) << project;
}

TEST_F(ProjectCommandTest, OptionsOverrideTheStepsTheSettingsRemember) {
    folder.WriteGbk("dev.ini", "[PrjInfo]\nIdCheck=1\nErase=0\nWrite=1\nVerify=1\n");
    const CliRun run = Run({"--lang", "2", "project", "download", Data(), "-c", "W25Q20BW", "--name", R"(C:\x\job)",
                            "--mode", "machine", "--no-verify", "--serial", "1f0:A:2:little", "--limit", "70000"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("File Name: data.bin"), std::string::npos);
    const std::string project = Project();
    for (const char* line : {"\nPrjName=job\n", "\nChipVolt=00000001\n", "\nOprMode=02\n", "\nOprIdCheck=01\n",
                             "\nOprErase=00\n", "\nOprWrite=01\n", "\nOprVerify=00\n", "\nSnEn=01\n", "\nSnLen=02\n",
                             "\nSnEndian=01\n", "\nSnAddr=000001F0\n", "\nSnValue=0000000A\n", "\nTimesEn=01\n",
                             "\nTimesMax=00001170\n"})
        EXPECT_NE(project.find(line), std::string::npos) << line << project;
}

TEST_F(ProjectCommandTest, FailsWithTheOffendingTextAndWritesNoProject) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::string missing = (folder / "missing.bin").string();
    folder.WriteBytes("empty.bin", "");
    folder.WriteBytes("big.bin", "");
    std::filesystem::resize_file(folder / "big.bin", 16 * 1024 * 1024 + 1);  // one byte past the storage
    const std::string empty = (folder / "empty.bin").string(), big = (folder / "big.bin").string();
    folder.WriteBytes("nothing.hex", "no records here\n");
    const std::string noImage = (folder / "nothing.hex").string();
    const Case cases[] = {
        {{"project", "download", empty, "-c", "GD25Q64"},
         "error: The data file holds no data: " + empty + "\ntqprog-cli: The offline project download failed.\n"},
        {{"project", "download", big, "-c", "GD25Q64"},
         "error: The data file is larger than the programmer's 16 MiB storage: " + big + "\n"},
        {{"project", "download", noImage, "-c", "GD25Q64"},
         "error: The data file holds no data to write: " + noImage +
             " line 1 does not start with ':' and comes before any end-of-file record; the image is empty\n"},
        {{"project", "download", missing, "-c", "GD25Q64"}, "error: Cannot open file: " + missing + "\n"},
        {{"project", "download", Data(), "-c", "GD25Q64", "--serial", "10:1:3:big"},
         "tqprog-cli: --serial wants ADDR:VALUE:BYTES(1|2|4):big|little, not 10:1:3:big\n"},
        {{"project", "download", Data(), "-c", "GD25Q64", "--serial", "10:1G:4:big"},
         "error: The serial number value is not a hexadecimal number: \"1G\"\n"
         "tqprog-cli: The offline project download failed.\n"},
        {{"project", "download", Data(), "-c", "GD25Q64", "--limit", "-5"},
         "error: The count limit is not a decimal number: \"-5\"\n"
         "tqprog-cli: The offline project download failed.\n"},
        {{"project", "download", Data(), "-c", "NO-SUCH-CHIP"},
         "error: The chip database has no chip named NO-SUCH-CHIP\n"
         "tqprog-cli: The offline project download failed.\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--lang", "2"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Run(args);
        SCOPED_TRACE(args.back());
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out.find("工程文件下载"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(folder / "temp" / "temp.gprj"));
    }
    EXPECT_NE(Run({"project", "download", Data()}).status, 0);  // -c is required
}

}  // namespace
}  // namespace tq
