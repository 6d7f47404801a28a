// What scripts rely on: --version, usage errors with status 2, JSON on
// stdout, and the language of a run without a Language setting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "cli/exit_status.h"
#include "support/environment.h"
#include "support/expect.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;

TEST(CliConventions, VersionNamesTheProgramTheChipDatabaseAndTheLicence) {
    testing::SimCliFolder folder;
    const CliResult run = folder.Run({"--version"});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out.rfind("tqprog-cli 0.", 0), 0u) << run.out;
    EXPECT_SAYS(run.out, "\n芯片数据库 V1.0.0 (" + folder.File("login.dat") + ")\n");
    EXPECT_SAYS(run.out, "GPL-3.0-or-later");
    EXPECT_EQ(run.err, "");
}

TEST(CliConventions, UsageErrorsEndWithStatusTwoAndSayWhatIsWrong) {
    testing::SimCliFolder folder;
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"--lang", "2", "frobnicate"}, "tqprog-cli: unknown command: frobnicate\n"},
        {{"--lang", "2"}, "tqprog-cli: no command given (see --help)\n"},
        {{"--bogus", "info"}, "--bogus"},
        {{"--lang", "7", "info"}, "--lang"},
        {{"chips", "--platform", "M500"}, "--platform requires --types"},
        {{"write"}, "FILE is required"},
    };
    for (const Case& c : cases) {
        const CliResult run = folder.Run(c.args);
        SCOPED_TRACE(c.args.front());
        EXPECT_EQ(run.status, kExitUsage) << run.err;
        EXPECT_SAYS(run.err, c.says);
        EXPECT_EQ(run.out, "");
    }
    // Help speaks the system's language (the suite's is Simplified Chinese) unless --lang says otherwise.
    const CliResult help = folder.Run({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_SAYS(help.out, "2 用法错误，3 没有编程器");
    EXPECT_SAYS(folder.Run({"--lang", "2", "--help"}).out, "2 usage error, 3 no programmer");
}

TEST(CliConventions, JsonOnStdoutForInfoChipsAndDetect) {
    testing::SimCliFolder folder;
    const std::string gd25q64 =
        R"({"name": "GD25Q64", "type": "SPI FLASH", "maker": "GIGADEVICE", "capacity": 8388608, "id": "C84017"})";
    const CliResult chips = folder.Run({"chips", "GD25Q64", "--json"});
    EXPECT_EQ(chips.out, "[" + gd25q64 + "]\n");
    const CliResult types = folder.Run({"chips", "--types", "--platform", "M500", "--json"});
    EXPECT_EQ(types.out.rfind("[\"SPI FLASH\", ", 0), 0u) << types.out;
    const CliResult detect = folder.RunSimulated({"--sim-chip", "GD25Q64", "detect", "--json"});
    EXPECT_EQ(detect.status, 0) << detect.err;
    EXPECT_EQ(detect.out, R"({"id": "C84017", "selected": "GD25Q64", "chips": [)" + gd25q64 + "]}\n");
    const CliResult info = folder.RunSimulated({"info", "--json"});
    EXPECT_EQ(info.out.rfind("{\"model\": \"TQM7300B\", \"firmware\": ", 0), 0u) << info.out;
    EXPECT_EQ(info.out.substr(info.out.size() - 2), "}\n");
}

TEST(CliConventions, TheMissingDatabaseIsReportedInTheLanguageAsked) {
    testing::SimCliFolder folder;
    std::filesystem::remove(folder / "login.dat");
    const CliResult english = folder.Run({"--lang", "2", "chips"});
    EXPECT_EQ(english.status, kExitFailed);
    EXPECT_EQ(english.err, "tqprog-cli: The chip database " + folder.File("login.dat") + " does not exist.\n");
    const CliResult traditional = folder.Run({"--lang", "1", "chips"});
    EXPECT_EQ(traditional.err, "tqprog-cli: 資料庫檔案 " + folder.File("login.dat") + " 不存在！\n");
}

// The suite runs with LC_ALL pinned; this test moves it for one run each.
TEST(CliConventions, WithoutALanguageSettingTheLocaleChoosesAndTheSettingOrLangWin) {
    testing::SimCliFolder folder;
    // Puts LC_ALL back however the test ends, so later tests see the pinned locale.
    struct LocaleGuard {
        std::optional<std::string> saved;
        LocaleGuard() {
            if (const char* value = std::getenv("LC_ALL")) saved = value;
        }
        ~LocaleGuard() {
            saved ? testing::SetEnvironment("LC_ALL", saved->c_str()) : testing::UnsetEnvironment("LC_ALL");
        }
    } guard;
    struct Case {
        const char* locale;
        std::string devIni;
        std::vector<std::string> args;
        std::string count;
    };
    const Case cases[] = {
        {"zh_TW.UTF-8", "", {"chips", "GD25Q64"}, "共搜索到: "},
        {"en_GB.UTF-8", "", {"chips", "NONE-SUCH"}, "Total result: 0\n"},
        {"en_GB.UTF-8", "[SystemOption]\r\nLanguage= 0\r\n", {"chips", "NONE-SUCH"}, "共搜索到: 0\n"},
        {"zh_CN.UTF-8", "", {"--lang", "2", "chips", "NONE-SUCH"}, "Total result: 0\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder / "dev.ini");
        if (!c.devIni.empty()) folder.WriteBytes("dev.ini", c.devIni);
        SCOPED_TRACE(c.locale);
        testing::SetEnvironment("LC_ALL", c.locale);
        const CliResult run = folder.Run(c.args);
        EXPECT_SAYS(run.out, c.count);
    }
    // Traditional Chinese names its columns its own way.
    testing::SetEnvironment("LC_ALL", "zh_HK.UTF-8");
    EXPECT_NE(folder.Run({"chips", "GD25Q64"}).out.find("晶片名稱"), std::string::npos);
}

}  // namespace
}  // namespace tq
