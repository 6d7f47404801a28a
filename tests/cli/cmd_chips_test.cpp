#include <gtest/gtest.h>

#include <regex>
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

struct ChipsCommandTest : ::testing::Test {
    testing::ProgramFolder folder;

    ChipsCommandTest() {
        for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(name);
    }

    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"tqprog-cli", "--program-dir", folder.path().string()});
        std::vector<const char*> argv;
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        std::ostringstream out, err;
        const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
        return {status, out.str(), err.str()};
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

uint64_t SizeOf(const std::string& text) {
    const uint64_t value = std::stoull(text);
    if (text.ends_with("MB")) return value << 20;
    if (text.ends_with("KB")) return value << 10;
    return value;
}

TEST_F(ChipsCommandTest, ListsTheW25Q64Family) {
    const CliRun run = Run({"--lang", "2", "chips", "W25Q64"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front().rfind("Chip name", 0), 0u) << lines.front();
    bool found = false;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        std::istringstream fields(lines[i]);
        std::string name, type, flash, maker, size, id;
        fields >> name >> type >> flash >> maker >> size >> id;
        EXPECT_NE(name.find("W25Q64"), std::string::npos) << lines[i];
        found = found || (id == "EF4017" && size == "8MB");
    }
    EXPECT_TRUE(found) << run.out;
    EXPECT_EQ(lines.back(), "Total result: " + std::to_string(lines.size() - 2));
}

TEST_F(ChipsCommandTest, ListsEveryChipSortedBySize) {
    const CliRun run = Run({"--lang", "2", "chips"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    EXPECT_GE(lines.size(), 402u);  // header, 400 chips or more, count
    uint64_t previous = 0;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        // The size is the first field of digits and a unit after the type and maker.
        std::istringstream fields(lines[i]);
        std::string field, size;
        // (digits and a unit only: names such as 24LC01B and IDs such as 7F9D7B also end in B)
        while (size.empty() && fields >> field)
            if (std::regex_match(field, std::regex("[0-9]+[KMG]?B"))) size = field;
        ASSERT_FALSE(size.empty()) << lines[i];
        EXPECT_GE(SizeOf(size), previous) << lines[i];
        previous = SizeOf(size);
    }
}

TEST_F(ChipsCommandTest, FiltersByTypeAndMaker) {
    const CliRun run = Run({"--lang", "2", "chips", "--type", "45 eeprom", "--maker", "atmel"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 3u);
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_NE(lines[i].find("45 EEPROM"), std::string::npos) << lines[i];
        EXPECT_NE(lines[i].find("ATMEL"), std::string::npos) << lines[i];
    }
    const CliRun unknown = Run({"--lang", "2", "chips", "--type", "46 EEPROM"});
    EXPECT_NE(unknown.status, 0);
    EXPECT_NE(unknown.err.find("unknown chip type: 46 EEPROM"), std::string::npos) << unknown.err;
}

TEST_F(ChipsCommandTest, LanguageComesFromTheSettingUnlessGiven) {
    struct Case {
        std::string devIni;  // empty: no dev.ini
        std::vector<std::string> args;
        std::string count;
    };
    const Case cases[] = {
        {"", {"chips", "GD25Q64"}, "共搜索到: "},
        {"[SystemOption]\r\nLanguage= 2\r\n", {"chips", "GD25Q64"}, "Total result: "},
        {"[SystemOption]\r\nLanguage= 2\r\n", {"--lang", "0", "chips", "GD25Q64"}, "共搜索到: "},
        {"[SystemOption]\r\nLanguage= 0\r\n", {"--lang", "2", "chips", "GD25Q64"}, "Total result: "},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder / "dev.ini");
        if (!c.devIni.empty()) folder.WriteBytes("dev.ini", c.devIni);
        const CliRun run = Run(c.args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.count), std::string::npos) << run.out;
        // The CLI reads dev.ini and never writes it.
        if (c.devIni.empty()) {
            EXPECT_FALSE(std::filesystem::exists(folder / "dev.ini"));
        } else {
            EXPECT_EQ(folder.ReadBytes("dev.ini"), c.devIni);
        }
    }
}

TEST_F(ChipsCommandTest, TypesOfAPlatform) {
    folder.WriteBytes("dev.ini", "[PrjInfo]\r\ndefaultMode=M500-4\r\n");
    const CliRun remembered = Run({"chips", "--types"});
    ASSERT_EQ(remembered.status, 0) << remembered.err;
    EXPECT_EQ(Lines(remembered.out).size(), 6u);
    EXPECT_EQ(remembered.out.find("SWD ARM"), std::string::npos);

    const CliRun tqm7 = Run({"chips", "--types", "--platform", "TQM7300B"});
    ASSERT_EQ(tqm7.status, 0) << tqm7.err;
    EXPECT_EQ(Lines(tqm7.out).front(), "SPI FLASH");
    EXPECT_EQ(Lines(tqm7.out).back(), "SWD ARM");

    const CliRun odd = Run({"--lang", "2", "chips", "--types", "--platform", "T-M7"});
    EXPECT_NE(odd.status, 0);
    EXPECT_TRUE(odd.out.empty());
    EXPECT_NE(odd.err.find("The platform code \"T-M7\""), std::string::npos) << odd.err;

    const CliRun unknown = Run({"--lang", "2", "chips", "--types", "--platform", "XYZW"});
    EXPECT_NE(unknown.status, 0);
    EXPECT_EQ(unknown.err, "tqprog-cli: the chip database knows no programmer platform XYZW (TQM7, M500)\n");
}

TEST_F(ChipsCommandTest, MissingDatabaseEndsTheRun) {
    std::filesystem::remove(folder / "login.dat");
    const CliRun run = Run({"chips"});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.err, "tqprog-cli: >>> 数据库文件 " + (folder / "login.dat").string() + "不存在！\n");
    EXPECT_TRUE(run.out.empty());
}

}  // namespace
}  // namespace tq
