#include "core/app/startup.h"

#include <gtest/gtest.h>

#include "core/chipdb/chip_database_builder.h"
#include "support/session_fixture.h"

namespace tq {
namespace {

struct StartupTest : ::testing::Test, testing::SessionFixture {
    Session& s = *session;

    // A database with the chip types but no chips and no [DevInfo] row.
    void MakeSmallDatabase() {
        std::unique_ptr<ChipDatabase> db = ChipDatabase::Open(folder / "login.dat", true);
        db->ExecScript("PRAGMA synchronous = OFF");
        CreateChipTables(*db);
        AddChipTypes(*db);
    }
};

TEST_F(StartupTest, MissingDatabaseEndsStartUp) {
    folder.WriteGbk("dev.ini", "[SystemOption]\nLanguage=2\n");
    const StartupResult result = RunStartup(s);
    EXPECT_EQ(result.outcome, StartupOutcome::DatabaseMissing);
    EXPECT_EQ(result.message, ">>> 数据库文件 " + (folder / "login.dat").string() + "不存在！");
    EXPECT_EQ(s.Chip.Database, nullptr);
    EXPECT_EQ(s.Device.DevInf.DefaultModel, "");  // no later step ran
    EXPECT_EQ(s.Texts.DevLanguage.OK, "");
    EXPECT_FALSE(std::filesystem::exists(folder / "login.dat"));
}

TEST_F(StartupTest, FirstRunWithoutSettings) {
    MakeSmallDatabase();
    s.Chip.PrjInfo.ChannelSelector = 9;
    const StartupResult result = RunStartup(s);
    ASSERT_EQ(result.outcome, StartupOutcome::Completed) << result.message;
    EXPECT_EQ(result.openDialogFolder, "C:");
    EXPECT_EQ(s.Chip.PrjInfo.ChannelSelector, 0);
    EXPECT_EQ(s.Chip.PrjInfo.ChipName, "24C02");
    // The texts were loaded before the version was read.
    EXPECT_EQ(result.language.applicationTitle, "TQM7300B Programmer  ");
    EXPECT_EQ(s.Device.DevInf.DbVersion, "V0.1.0");
    EXPECT_EQ(result.chipTypes.types.size(), 7u);
    EXPECT_EQ(statusBar.panels[2], "设备离线");
    EXPECT_FALSE(std::filesystem::exists(folder / "dev.ini"));  // start-up never writes settings
}

TEST_F(StartupTest, SettingsTextsAndTypesOfTheRememberedModel) {
    folder.CopyFromBin("login.dat");
    folder.CopyFromBin("EN.ini");
    folder.CopyFromBin("TC.ini");
    folder.WriteGbk("dev.ini",
                    "[SystemOption]\nLanguage= 2\nFilePath=/data/\n[PrjInfo]\ndefaultMode=M500-16\n");
    StartupResult result = RunStartup(s);
    ASSERT_EQ(result.outcome, StartupOutcome::Completed) << result.message;
    EXPECT_EQ(result.openDialogFolder, "/data/");
    EXPECT_EQ(s.Texts.DevLanguage.OK, "OK");
    EXPECT_EQ(s.Device.DevInf.DbVersion, "V1.0.0");
    EXPECT_EQ(s.Device.DevInf.DefaultModel, "M500-16");
    EXPECT_EQ(result.chipTypes.platformCode, "M500");
    EXPECT_EQ(result.chipTypes.types.size(), 6u);

    // --lang replaces the setting for the run.
    auto other = MakeSession();
    result = RunStartup(*other, StartupOptions{1});
    EXPECT_EQ(other->Texts.Language, 1);
    EXPECT_EQ(other->Texts.DevLanguage.OK, "確定");
}

TEST_F(StartupTest, DefaultModelIsCheckedBeforeItsTypesAreListed) {
    MakeSmallDatabase();
    struct Case {
        std::string saved;
        std::string model;
        StartupOutcome outcome;
        size_t types;
        size_t warnings;
    };
    const Case cases[] = {
        {"AB", "TQM7300B", StartupOutcome::Completed, 7, 0},
        {"M500", "M500", StartupOutcome::Completed, 6, 0},
        {"T-M7300", "T-M7300", StartupOutcome::Completed, 0, 1},  // rejected platform code, reported
        {"ABCD123", "ABCD123", StartupOutcome::DatabaseFailed, 0, 0},
    };
    for (const Case& c : cases) {
        messages.warnings.clear();
        folder.WriteGbk("dev.ini", "[PrjInfo]\ndefaultMode=" + c.saved + "\n");
        auto fresh = MakeSession();
        const StartupResult result = RunStartup(*fresh);
        EXPECT_EQ(result.outcome, c.outcome) << c.saved;
        EXPECT_EQ(fresh->Device.DevInf.DefaultModel, c.model);
        EXPECT_EQ(result.chipTypes.types.size(), c.types) << c.saved;
        EXPECT_EQ(messages.warnings.size(), c.warnings) << c.saved;
        if (c.outcome == StartupOutcome::DatabaseFailed) {
            EXPECT_EQ(result.message, "no such column: ABCD");
            EXPECT_EQ(fresh->Device.DevInf.DbVersion, "V0.1.0");  // read before the failing step
        }
    }
}

TEST_F(StartupTest, TheLastChipComesBackThroughTheFrame) {
    folder.CopyFromBin("login.dat");
    const StartupResult result = RunStartup(s);  // no dev.ini: 24C02
    ASSERT_EQ(result.outcome, StartupOutcome::Completed) << result.message;
    EXPECT_EQ(result.chipRestore, ChipRestore::Restored);
    EXPECT_EQ(s.Window.ChipFrame.type.items, result.chipTypes.types);
    EXPECT_EQ(s.Window.ChipFrame.type.text, "24 EEPROM");
    EXPECT_EQ(s.Window.ChipFrame.manufacturer.text, "GENERIC");
    EXPECT_EQ(s.Window.ChipFrame.name.items, s.Chip.Database->StartupNameListQuery("24 EEPROM", "GENERIC"));
    EXPECT_EQ(s.Window.ChipFrame.name.text, "24C02");
    EXPECT_EQ(s.Chip.PrjInfo.ChipName, "24C02");
    EXPECT_EQ(s.Chip.PrjInfo.Capacity, 256u);
    EXPECT_EQ(s.Buffer.RamFile.Data, std::vector<uint8_t>(256, 0xFF));
    EXPECT_EQ(statusBar.panels[1], "CheckSum:0x0000FF00");
}

TEST_F(StartupTest, ARestoreThatStopsKeepsTheRememberedChip) {
    folder.CopyFromBin("login.dat");
    struct Case {
        std::string settings;
        ChipRestore restore;
    };
    const Case cases[] = {
        {"[PrjInfo]\nChipName=NOSUCHCHIP\n", ChipRestore::NoRow},
        {"[PrjInfo]\nChipName=STM32F030F4\ndefaultMode=M500-16\n", ChipRestore::TypeNotListed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        folder.WriteGbk("dev.ini", c.settings);
        auto fresh = MakeSession();
        const StartupResult result = RunStartup(*fresh);
        ASSERT_EQ(result.outcome, StartupOutcome::Completed) << result.message;
        EXPECT_EQ(result.chipRestore, c.restore);
        EXPECT_FALSE(fresh->Window.ChipFrame.type.items.empty());
        EXPECT_EQ(fresh->Window.ChipFrame.type.index, -1);
        EXPECT_EQ(fresh->Window.ChipFrame.manufacturer.items, (std::vector<std::string>{"旺宏", "华邦", "ATMEL"}));
        EXPECT_EQ(fresh->Chip.PrjInfo.Capacity, 0u);
        EXPECT_TRUE(fresh->Buffer.RamFile.Data.empty());
    }
}

TEST_F(StartupTest, DamagedDatabaseIsAFailedStatement) {
    folder.WriteBytes("login.dat", "this is not a database at all, just some text that is long enough");
    const StartupResult result = RunStartup(s);
    EXPECT_EQ(result.outcome, StartupOutcome::DatabaseFailed);
    EXPECT_EQ(result.message, "file is not a database");
}

}  // namespace
}  // namespace tq
