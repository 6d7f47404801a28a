#include "core/project/project_editor.h"

#include <gtest/gtest.h>

#include "core/buffer/image_formats.h"
#include "core/project/project_crc.h"
#include "support/expect.h"
#include "support/project_fixture.h"

namespace tq {
namespace {

using Line = testing::RecordingLog::Line;

struct ProjectEditorTest : ::testing::Test {
    testing::ProjectSession s;
    testing::RecordingLog log;
    ProjectEditor editor{s.session.Operation, log, s.session.Window.ChipFrameInProjectDialog};

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Line& line : log.lines) texts.push_back(line.text);
        return texts;
    }
};

TEST_F(ProjectEditorTest, OpeningResetsTheLogMovesTheChipFrameInAndCopiesTheSteps) {
    s.session.Chip.PrjInfo.IdCheck = 1;
    s.session.Chip.PrjInfo.Erase = 0;
    s.session.Chip.PrjInfo.Write = 1;
    s.session.Chip.PrjInfo.Verify = 0;
    for (int time = 0; time < 2; ++time) {
        log.AppendLine("left over", LogColour::Red);
        editor.Open();
        EXPECT_EQ(Texts(), std::vector<std::string>{"文件名:文件待选择."});
    }
    EXPECT_TRUE(s.session.Window.ChipFrameInProjectDialog);
    EXPECT_TRUE(editor.plan.idCheck);
    EXPECT_FALSE(editor.plan.erase);
    EXPECT_TRUE(editor.plan.write);
    EXPECT_FALSE(editor.plan.verify);
    const Prj_Info_Struct& offline = s.session.Chip.PrjInfoOffline;
    EXPECT_EQ(offline.IdCheck + offline.Erase * 2 + offline.Write * 4 + offline.Verify * 8, 1 + 4);
    EXPECT_EQ(offline.PrjSpare, "NULL");

    editor.Close();
    EXPECT_FALSE(s.session.Window.ChipFrameInProjectDialog);
}

TEST_F(ProjectEditorTest, ChoosingADataFileRecordsItsNameLengthAndChecksumInTheLanguage) {
    const std::vector<uint8_t> bytes = testing::PatternBytes(4096);
    const std::filesystem::path file = testing::WriteBinary(s.folder, "fw.bin", bytes);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", ProjectCrc(bytes.data(), bytes.size()));
    struct Case {
        int language;
        std::string grey, red;
    };
    const Case cases[] = {
        {0, std::string("文件名: fw.bin    CRC32: 0x") + crc,
         "注意：文件名只支持显示英文字符（包含大小写）与数字！中文会导致显示异常！"},
        {1, std::string("文件名: fw.bin    CRC32: 0x") + crc,
         "注意: 文件名只支持顯示英文字符（包含大小寫）與數字！中文會導致顯示異常！"},
        {2, std::string("File Name: fw.bin    CRC32: 0x") + crc, "    "},
    };
    s.fileDialog.answer = file.string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        s.session.Texts.Language = c.language;
        ASSERT_TRUE(editor.ChooseDataFile(s.fileDialog, s.messages));
        ASSERT_EQ(log.lines.size(), 2u);
        EXPECT_EQ(log.lines[0].text, c.grey);
        EXPECT_EQ(log.lines[0].colour, LogColour::Grey);
        EXPECT_EQ(log.lines[1].text, c.red);
        EXPECT_EQ(log.lines[1].colour, LogColour::Red);
    }
    const Prj_Info_Struct& offline = s.session.Chip.PrjInfoOffline;
    EXPECT_EQ(offline.DataFileName, file.string());
    EXPECT_EQ(offline.FileLen, 4096u);
    EXPECT_EQ(offline.Crc32, ProjectCrc(bytes.data(), bytes.size()));
    EXPECT_EQ(editor.plan.name, "fw.bin");
    // The open dialog's filters: all supported files, every format of the table, then all files.
    const auto Offered = [](const std::vector<FileFilter>& filters) {
        std::string offered;
        for (const FileFilter& filter : filters) offered += filter.description + " " + filter.pattern + ";";
        return offered;
    };
    EXPECT_EQ(Offered(s.fileDialog.filtersSeen.back()), Offered(OpenFileFilters(s.session.Texts.Language)));
    EXPECT_SAYS(Offered(OpenFileFilters()), "Hex File *.hex;");
}

TEST_F(ProjectEditorTest, ALongNameIsCutTo64BytesAndAnEmptyFileHasTheEmptyChecksum) {
    const std::string name = std::string(70, 'n') + ".bin";
    s.fileDialog.answer = testing::WriteBinary(s.folder, name, {}).string();
    ASSERT_TRUE(editor.ChooseDataFile(s.fileDialog, s.messages));
    EXPECT_EQ(editor.plan.name, std::string(64, 'n'));
    EXPECT_EQ(log.lines[0].text, "文件名: " + std::string(64, 'n') + "    CRC32: 0xFFFFFFFF");
    EXPECT_EQ(s.session.Chip.PrjInfoOffline.FileLen, 0u);
    EXPECT_EQ(s.session.Chip.PrjInfoOffline.Crc32, 0xFFFFFFFFu);
}

TEST_F(ProjectEditorTest, CancellingOrAnUnreadableFileLeavesLogAndRecordAsTheyWere) {
    editor.Open();
    s.session.Chip.PrjInfoOffline.DataFileName = "/earlier.bin";
    s.session.Chip.PrjInfoOffline.FileLen = 7;
    s.session.Chip.PrjInfoOffline.Crc32 = 9;
    editor.plan.name = "earlier";

    s.fileDialog.answer = "";
    EXPECT_FALSE(editor.ChooseDataFile(s.fileDialog, s.messages));
    s.fileDialog.answer = (s.folder / "missing.bin").string();
    EXPECT_FALSE(editor.ChooseDataFile(s.fileDialog, s.messages));
    EXPECT_EQ(s.messages.errors, std::vector<std::string>{"无法打开文件：" + s.fileDialog.answer});

    EXPECT_EQ(Texts(), std::vector<std::string>{"文件名:文件待选择."});
    EXPECT_EQ(log.clears, 1);
    EXPECT_EQ(s.session.Chip.PrjInfoOffline.DataFileName, "/earlier.bin");
    EXPECT_EQ(s.session.Chip.PrjInfoOffline.FileLen, 7u);
    EXPECT_EQ(s.session.Chip.PrjInfoOffline.Crc32, 9u);
    EXPECT_EQ(editor.plan.name, "earlier");
}

}  // namespace
}  // namespace tq
