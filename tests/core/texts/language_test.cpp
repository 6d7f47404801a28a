#include "core/app/language_menu.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/device/presence.h"
#include "core/texts/text_catalogue.h"
#include "sim/sim_programmer.h"
#include "support/session_fixture.h"

namespace tq {
namespace {

struct LanguageTest : ::testing::Test, testing::SessionFixture {
    Session& s = *session;

    std::string Caption(const LanguageApplied& applied, const std::string& control) {
        for (const AppliedCaption& caption : applied.captions)
            if (caption.control == control) return caption.text;
        ADD_FAILURE() << "no caption for " << control;
        return {};
    }
};

TEST(LanguageRules, FileMenuItemAndCatalogueTextByIndex) {
    struct Case {
        int32_t language;
        const char* file;
        int item;
        const char* text;
    };
    const Case cases[] = {{0, "CN.ini", 0, "自动烧录"}, {1, "TC.ini", 1, "自動燒錄"}, {2, "EN.ini", 2, "Auto Operation "},
                          {5, "EN.ini", 2, "Auto Operation "}, {-1, "EN.ini", 2, "Auto Operation "}};
    for (const Case& c : cases) {
        EXPECT_STREQ(LanguageFileName(c.language), c.file);
        EXPECT_EQ(LanguageMenuItem(c.language), c.item);
        EXPECT_EQ(Text(c.language, TextId::AutoRunTitle), c.text);
    }
}

TEST_F(LanguageTest, WithoutAFileEveryTextTakesItsDefault) {
    const LanguageApplied applied = LoadLanguage(s.Operation);
    ASSERT_EQ(LanguageFields().size(), 49u);
    for (const LanguageField& field : LanguageFields()) {
        const std::string expected =
            std::string(field.fallback) + (field.field == &Dev_Language_Struct::MainSoftWareInfo ? "  " : "");
        EXPECT_EQ(s.Texts.DevLanguage.*field.field, expected) << field.key;
    }
    EXPECT_EQ(s.Texts.DevLanguage.LogChipEraseSuccess, "擦除成功.共耗时");
    EXPECT_EQ(Caption(applied, "Menu_File_Open"), "打开(&O)");
    EXPECT_EQ(Caption(applied, "sbOpenFile"), "打开");
    EXPECT_EQ(Caption(applied, "ledtChipVoltage.EditLabel"), "芯片电压：");
    EXPECT_EQ(applied.captions.size(), DirectCaptions().size());
}

TEST_F(LanguageTest, TitleCarriesTheVersionOnceItIsKnown) {
    const LanguageApplied first = LoadLanguage(s.Operation);
    EXPECT_EQ(s.Texts.DevLanguage.MainSoftWareInfo, "TQM7300B Programmer  ");
    EXPECT_EQ(first.applicationTitle, "TQM7300B Programmer  ");
    EXPECT_EQ(first.windowCaption, "TQM7300B Programmer      ");

    s.Device.DevInf.DbVersion = "V0.1.0";
    // The caption names what the buffer holds, in the new language.
    s.Buffer.Holding = {BufferHolding::Source::File, "D:\\a.bin", 10, 4};
    const LanguageApplied later = ChooseLanguage(s.Operation, 1);
    EXPECT_EQ(s.Texts.DevLanguage.MainSoftWareInfo, "TQM7300B Programmer  V0.1.0");
    EXPECT_EQ(later.windowCaption, "TQM7300B Programmer  V0.1.0    D:\\a.bin（僅前 4 位元組，共 10 位元組）");
    EXPECT_EQ(s.Texts.Language, 1);
}

TEST_F(LanguageTest, ReadsTheFileOfTheLanguage) {
    folder.WriteGbk("EN.ini",
                    "[Setting]\nMainSoftWareInfo=Programmer\n"
                    "[FileMenu]\nOpen=Open\n"
                    "[log]\nlogchiperase=Erasing\nLogChipSelect=" + std::string(130, 's') +
                        "\nLogChipBankTrue=" + std::string(130, 'b') + "\nLogStaError=\n"
                    "[AboutMenu]\nAbout=About\n");
    folder.WriteGbk("CN.ini", "[Log]\nLogChipErase=擦除中\n");
    s.Texts.Language = 5;
    const LanguageApplied applied = LoadLanguage(s.Operation);
    EXPECT_EQ(applied.menuChecks[0], std::nullopt);  // the loader only sets the mark of its item
    EXPECT_EQ(applied.menuChecks[1], std::nullopt);
    EXPECT_EQ(applied.menuChecks[2], true);
    EXPECT_EQ(s.Texts.DevLanguage.MainSoftWareInfo, "Programmer  ");
    EXPECT_EQ(s.Texts.DevLanguage.LogChipErase, "Erasing");
    EXPECT_EQ(s.Texts.DevLanguage.LogChipSelect, std::string(119, 's'));
    EXPECT_EQ(s.Texts.DevLanguage.LogChipBankTrue, std::string(79, 'b'));
    EXPECT_EQ(s.Texts.DevLanguage.LogStaError, "");          // present and empty
    EXPECT_EQ(s.Texts.DevLanguage.LogStaSuccess, "成功！");  // absent: built-in default
    EXPECT_EQ(Caption(applied, "Menu_File_Open"), "Open(&O)");
    EXPECT_EQ(Caption(applied, "sbOpenFile"), "Open");
    EXPECT_EQ(Caption(applied, "sbAbout"), "About");
    EXPECT_EQ(Caption(applied, "Menu_About"), "About(&I)");
    EXPECT_EQ(Caption(applied, "Menu_File"), "文件(&F)");
}

TEST_F(LanguageTest, StatusPanelsFollowTheConnection) {
    statusBar.panels[0] = "12:00:00 something";
    statusBar.panels[2] = "设备已连接V1.0";
    LoadLanguage(s.Operation);
    EXPECT_EQ(statusBar.panels[2], "设备离线");
    EXPECT_EQ(statusBar.panels[0], "");
    // Connected, the firmware version stays in the panel.
    s.Device.Link.Uart.Connected = 1;
    s.Device.DevInf.FwVersion = "V2.5";
    LoadLanguage(s.Operation);
    EXPECT_EQ(statusBar.panels[2], "设备已连接    设备版本:V2.5");
}

TEST_F(LanguageTest, MenuItemsMarkOnlyTheirOwnItem) {
    const LanguageApplied en = ChooseLanguage(s.Operation, 2);
    EXPECT_EQ(s.Texts.Language, 2);
    EXPECT_EQ(en.menuChecks[0], false);
    EXPECT_EQ(en.menuChecks[1], false);
    EXPECT_EQ(en.menuChecks[2], true);
    const LanguageApplied cn = ChooseLanguage(s.Operation, 0);
    EXPECT_EQ(s.Texts.Language, 0);
    EXPECT_EQ(cn.menuChecks[0], true);
    EXPECT_EQ(cn.menuChecks[2], false);
}

TEST(LanguageNotice, OnlyAConnectedM500IsTold) {
    struct Case {
        std::string model;
        bool connect;
        std::optional<uint8_t> told;
    };
    const Case cases[] = {{"M500-4", true, 1}, {"TQM7300B", true, std::nullopt}, {"M500-4", false, std::nullopt}};
    for (const Case& c : cases) {
        testing::ProgramFolder folder;
        VirtualClock clock;
        SimProgrammer sim(clock);
        sim.identity.model = c.model;
        Session session(sim.volumes(), clock, folder.path());
        if (c.connect) {
            ASSERT_EQ(ConnectProgrammer(session.Device), ConnectResult::Connected);
        }
        ChooseLanguage(session.Operation, 1);
        EXPECT_EQ(sim.language(), c.told) << c.model << " connected " << c.connect;
    }
}

TEST_F(LanguageTest, DialogSectionsHaveTheirDefaults) {
    folder.WriteGbk("CN.ini", "[AutoSel]\nAutoSelTitle=自动\n");
    const LanguageFile file(s.Texts);
    EXPECT_EQ(file.Text("AutoSel", "AutoSelTitle"), "自动");
    EXPECT_EQ(file.Text("AutoSel", "AutoSelErase"), "擦除");
    EXPECT_EQ(file.Text("HardInfo", "DevSN"), "序列号：");
    EXPECT_EQ(file.Text("FileInport", "ODTitle"), "选择打开的文件");
    EXPECT_THROW(file.Text("AutoSel", "NoSuchKey"), std::logic_error);
}

// The shipped files: complete, English in English, and CN.ini equal to the
// built-in texts.
TEST(LanguageFiles, ShippedFilesCarryEveryKey) {
    for (int language : {0, 1, 2}) {
        testing::ProgramFolder folder;
        folder.CopyFromBin(LanguageFileName(language));
        const ProfileFile file = ProfileFile::Load(folder / LanguageFileName(language));
        const auto check = [&](const char* section, const char* key, const char* fallback, size_t maxBytes) {
            const std::string missing = "\x01missing";
            const std::string text = file.ReadString(section, key, missing, 1000);
            ASSERT_NE(text, missing) << LanguageFileName(language) << " lacks [" << section << "] " << key;
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_LE(GbkLength(text), maxBytes) << key;
            if (language == 0) {
                EXPECT_EQ(text, fallback) << key;
            }
            if (language == 2) {
                EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char ch) { return ch > 0; }))
                    << "not English: " << key << "=" << text;
            }
        };
        for (const LanguageField& field : LanguageFields()) check(field.section, field.key, field.fallback, field.maxBytes);
        for (const DirectCaption& caption : DirectCaptions())
            check(caption.section, caption.key, caption.fallback, kLanguageTextBytes);
        for (const DialogText& text : DialogTexts()) check(text.section, text.key, text.fallback, kLanguageTextBytes);
    }
}

}  // namespace
}  // namespace tq
