#include "core/app/settings.h"

#include <gtest/gtest.h>

#include "support/session_fixture.h"

namespace tq {
namespace {

struct SettingsTest : ::testing::Test, testing::SessionFixture {
    Session& s = *session;
};

TEST_F(SettingsTest, WithoutAFileEveryKeyTakesItsDefault) {
    s.Device.DevInf.SuccessCount = 5;
    s.Device.DevInf.FailCount = 3;
    LoadSettings(s);
    EXPECT_EQ(s.DebugOption.comDebugDly, 5000);
    EXPECT_EQ(s.DebugOption.intMsgDleTim, 1000);
    EXPECT_EQ(s.Texts.Language, 0);
    EXPECT_EQ(s.Device.DevInf.FilePath, "C:");
    EXPECT_EQ(s.Buffer.RamFile.FileName, "");
    EXPECT_EQ(s.Chip.PrjInfo.RamStartAddr, 0u);
    EXPECT_EQ(s.Chip.PrjInfo.IdCheck, 0);
    EXPECT_EQ(s.Chip.PrjInfo.Erase, 1);
    EXPECT_EQ(s.Chip.PrjInfo.Write, 1);
    EXPECT_EQ(s.Chip.PrjInfo.Verify, 1);
    EXPECT_EQ(s.Chip.PrjInfo.ChipName, "24C02");
    EXPECT_EQ(s.Device.DevInf.DefaultModel, "TQM7300B");
    EXPECT_EQ(s.Device.DevInf.SuccessCount, 0);
    EXPECT_EQ(s.Device.DevInf.FailCount, 0);
}

TEST_F(SettingsTest, ReadsEveryKey) {
    folder.WriteGbk("dev.ini",
                    "[DebugOption]\ncomDebugDly=10\nintMsgDleTim=20\n"
                    "[SystemOption]\nLanguage= 1\nFilePath=E:\\数据\\\nFile=E:\\数据\\固件.bin\n"
                    "[PrjInfo]\nRamStartAddr= -2147483648\nIdCheck= 1\nErase= 0\nWrite= 0\nVerify= 257\n"
                    "ChipName=W25Q64FV\ndefaultMode=M500A\n");
    LoadSettings(s);
    EXPECT_EQ(s.DebugOption.comDebugDly, 10);
    EXPECT_EQ(s.DebugOption.intMsgDleTim, 20);
    EXPECT_EQ(s.Texts.Language, 1);
    EXPECT_EQ(s.Device.DevInf.FilePath, "E:\\数据\\");
    EXPECT_EQ(s.Buffer.RamFile.FileName, "E:\\数据\\固件.bin");
    EXPECT_EQ(s.Chip.PrjInfo.RamStartAddr, 0x80000000u);
    EXPECT_EQ(s.Chip.PrjInfo.IdCheck, 1);
    EXPECT_EQ(s.Chip.PrjInfo.Erase, 0);
    EXPECT_EQ(s.Chip.PrjInfo.Write, 0);
    EXPECT_EQ(s.Chip.PrjInfo.Verify, 1);  // low byte of 257
    EXPECT_EQ(s.Chip.PrjInfo.ChipName, "W25Q64FV");
    EXPECT_EQ(s.Device.DevInf.DefaultModel, "M500A");
}

TEST_F(SettingsTest, SavesEveryValueInOrderAndFormat) {
    folder.WriteGbk("dev.ini", "[DebugOption]\ncomDebugDly=10\n");
    s.Texts.Language = 2;
    s.Buffer.RamFile.FileName = "D:\\images\\固件.bin";
    s.Device.DevInf.FilePath = "stale";
    s.Chip.PrjInfo.RamStartAddr = 0xFFFFFFFF;
    s.Chip.PrjInfo.IdCheck = 1;
    s.Chip.PrjInfo.Erase = 0;
    s.Chip.PrjInfo.Write = 1;
    s.Chip.PrjInfo.Verify = 0;
    s.Chip.PrjInfo.ChipName = "GD25Q64";
    s.Device.DevInf.DefaultModel = "M500";
    s.DebugOption.comDebugDly = 99;  // never written
    s.Window.LogPanelShown = true;
    s.Operation.Guard.backup = false;           // turned off: written
    s.Operation.Guard.blankBeforeWrite = true;  // as by default: not written
    ASSERT_TRUE(SaveSettings(s));
    EXPECT_EQ(s.Device.DevInf.FilePath, "D:\\images\\");
    EXPECT_EQ(folder.ReadGbk("dev.ini"),
              "[DebugOption]\ncomDebugDly=10\n"
              "[SystemOption]\nLanguage= 2\nFilePath=D:\\images\\\nFile=D:\\images\\固件.bin\n"
              "[PrjInfo]\nRamStartAddr= -1\nIdCheck= 1\nErase= 0\nWrite= 1\nVerify= 0\n"
              "ChipName=GD25Q64\ndefaultMode=M500\n"
              "[tqprog]\nLogPanel= 1\nBackupBeforeOverwrite= 0\n");
    EXPECT_TRUE(messages.errors.empty());

    // Read back by the next run.
    auto next = MakeSession();
    LoadSettings(*next);
    EXPECT_EQ(next->Texts.Language, 2);
    EXPECT_EQ(next->Chip.PrjInfo.RamStartAddr, 0xFFFFFFFFu);
    EXPECT_EQ(next->Buffer.RamFile.FileName, "D:\\images\\固件.bin");
    EXPECT_EQ(next->DebugOption.comDebugDly, 10);
    EXPECT_TRUE(next->Window.LogPanelShown);
    EXPECT_FALSE(next->Operation.Guard.backup);
    EXPECT_TRUE(next->Operation.Guard.blankBeforeWrite);
}

TEST_F(SettingsTest, NoFileLoadedSavesAnEmptyFolderThatStaysEmpty) {
    LoadSettings(s);
    ASSERT_TRUE(SaveSettings(s));
    EXPECT_NE(folder.ReadGbk("dev.ini").find("FilePath=\nFile=\n"), std::string::npos);
    auto next = MakeSession();
    LoadSettings(*next);
    EXPECT_EQ(next->Device.DevInf.FilePath, "");  // present but empty: not "C:"
}

TEST_F(SettingsTest, LongValuesAreCutWhenRead) {
    std::string wide;
    for (int i = 0; i < 35; ++i) wide += "芯";  // 70 GBK bytes
    struct Case {
        std::string chipName;
        std::string expected;
    };
    const Case cases[] = {
        {std::string(70, 'C'), std::string(59, 'C')},
        {wide, wide.substr(0, 29 * 3)},  // 29 characters, 58 bytes: never half a character
    };
    for (const Case& c : cases) {
        folder.WriteGbk("dev.ini", "[PrjInfo]\nChipName=" + c.chipName + "\n[SystemOption]\nFile=" +
                                       std::string(90, 'f') + "\n");
        LoadSettings(s);
        EXPECT_EQ(s.Chip.PrjInfo.ChipName, c.expected);
        EXPECT_EQ(s.Buffer.RamFile.FileName, std::string(79, 'f'));
    }
}

TEST_F(SettingsTest, DefaultModelRules) {
    struct Case {
        std::string saved;     // the model as the previous run saved it
        std::string loaded;    // as read back (9 bytes at most)
        std::string checked;   // after start-up's check
    };
    const Case cases[] = {
        {"AB", "AB", "TQM7300B"},
        {"ABC", "ABC", "ABC"},
        {"M500-8CH", "M500-8CH", "M500-8CH"},
        {"ABCDEFGHI", "ABCDEFGHI", "TQM7300B"},
        {"TQM7300B-PLUS", "TQM7300B-", "TQM7300B"},  // saved in full, read cut, then replaced
        {"", "", "TQM7300B"},
    };
    for (const Case& c : cases) {
        s.Device.DevInf.DefaultModel = c.saved;
        ASSERT_TRUE(SaveSettings(s));
        EXPECT_NE(folder.ReadGbk("dev.ini").find("defaultMode=" + c.saved + "\n"), std::string::npos);
        LoadSettings(s);
        EXPECT_EQ(s.Device.DevInf.DefaultModel, c.loaded) << c.saved;
        CheckDefaultModel(s.Device.DevInf);
        EXPECT_EQ(s.Device.DevInf.DefaultModel, c.checked) << c.saved;
    }
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndLeavesTheFileWhole) {
    folder.WriteGbk("dev.ini", "[SystemOption]\nLanguage= 1\n");
    const std::string before = folder.ReadBytes("dev.ini");
    std::filesystem::create_directory(folder / ("dev.ini.tmp" + std::to_string(::getpid())));
    s.Texts.Language = 2;
    EXPECT_FALSE(SaveSettings(s));
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0].rfind("The settings could not be saved: ", 0), 0u) << messages.errors[0];
    EXPECT_EQ(folder.ReadBytes("dev.ini"), before);
}

TEST(SettingsFolder, FolderOfAFile) {
    EXPECT_EQ(FolderOf("C:\\data\\a.bin"), "C:\\data\\");
    EXPECT_EQ(FolderOf("/home/u/a.bin"), "/home/u/");
    EXPECT_EQ(FolderOf("a.bin"), "");
    EXPECT_EQ(FolderOf(""), "");
}

}  // namespace
}  // namespace tq
