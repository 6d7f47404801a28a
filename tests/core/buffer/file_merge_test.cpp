#include "core/buffer/file_merge.h"
#include "core/texts/text_catalogue.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/recording_views.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::ReadBytes;
using testing::RecordingMessages;
using testing::ScratchFolder;

std::vector<uint8_t> Filled(std::size_t count, uint8_t value) { return std::vector<uint8_t>(count, value); }

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct MergeFixture : ::testing::Test {
    ScratchFolder folder;
    std::vector<uint8_t> first = Filled(0x100, 0x11);
    std::vector<uint8_t> second = Filled(0x80, 0x22);
    MergeFileList list;
    RecordingMessages messages;

    void AddBoth() {
        ASSERT_EQ(list.AddFile(folder.Write("a.bin", first).string()), MergeAddResult::Added);
        ASSERT_EQ(list.AddFile(folder.Write("b.bin", second).string()), MergeAddResult::Added);
    }
};

TEST_F(MergeFixture, AddedFilesFollowEachOther) {
    AddBoth();
    ASSERT_EQ(list.rows().size(), 2u);
    EXPECT_EQ(list.rows()[0].number, "1");
    EXPECT_EQ(list.rows()[0].fileName, (folder / "a.bin").string());
    EXPECT_EQ(list.rows()[0].startText, "00000000");
    EXPECT_EQ(list.rows()[0].endText, "000000FF");
    EXPECT_EQ(list.rows()[1].number, "2");
    EXPECT_EQ(list.rows()[1].startText, "00000100");
    EXPECT_EQ(list.rows()[1].endText, "0000017F");
}

TEST_F(MergeFixture, MergePlacesEachFileAtItsStart) {
    struct Case {
        const char* name;
        const char* firstStart;  // null: as added
        const char* secondStart;
        const char* fill;
        std::vector<uint8_t> output;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"back to back", nullptr, nullptr, "FF", Join({first, second}), {}},
        {"gap filled", nullptr, "00000200", "FF", Join({first, Filled(0x100, 0xFF), second}), {}},
        {"start inside the first file is appended", nullptr, "00000080", "FF", Join({first, second}),
         {Text(0, TextId::MergeStartTooSmall)}},
        // The second start (00000100) is not moved along, so it now lies inside the first file.
        {"first start leaves fill bytes", "00000010", nullptr, "FF", Join({Filled(16, 0xFF), first, second}),
         {Text(0, TextId::MergeStartTooSmall)}},
        {"lower-case fill and start", "10", "1ff", "a5", Join({Filled(16, 0xA5), first, Filled(0xEF, 0xA5), second}),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list = MergeFileList();
        messages = RecordingMessages();
        AddBoth();
        if (c.firstStart) list.SetStartText(0, c.firstStart);
        if (c.secondStart) list.SetStartText(1, c.secondStart);
        const auto output = folder / "merged.bin";
        EXPECT_TRUE(MergeFiles(list, c.fill, output, messages, 0));
        EXPECT_EQ(ReadBytes(output), c.output);
        EXPECT_EQ(messages.warnings, c.warnings);
        EXPECT_EQ(messages.messages, std::vector<std::string>{Text(0, TextId::MergeDone)});
        EXPECT_TRUE(messages.errors.empty());
    }
}

TEST_F(MergeFixture, AMergeThatCannotBeDoneLeavesAnExistingOutputAsItWasAndSaysWhy) {
    struct Case {
        const char* name;
        const char* fill;
        const char* secondStart;  // null: as added
        bool removeSecond;
        int language;
        std::vector<std::string> warnings;
        std::vector<std::string> errors;
    };
    const std::string secondPath = (folder / "b.bin").string();
    const Case cases[] = {
        {"one-digit fill", "F", nullptr, false, 0, {Text(0, TextId::MergeBadFill)}, {}},
        {"three-digit fill", "FFF", nullptr, false, 0, {Text(0, TextId::MergeBadFill)}, {}},
        {"fill not hex", "GG", nullptr, false, 2, {}, {"'GG' is not a valid hexadecimal value!"}},
        {"start not hex", "FF", "12G", false, 0, {}, {"'12G' 不是有效的十六进制数值！"}},
        {"empty start", "FF", "", false, 1, {}, {"'' 不是有效的十六進制數值！"}},
        {"start too long", "FF", "100000000", false, 2, {}, {"'100000000' is not a valid hexadecimal value!"}},
        {"listed file gone", "FF", nullptr, true, 2, {}, {"Cannot open the file: " + secondPath}},
        {"listed file gone, Chinese", "FF", nullptr, true, 0, {}, {"无法打开文件：" + secondPath}},
        {"beyond 4 GiB", "FF", "FFFFFFFF", false, 2, {}, {"The merged file would reach beyond 4 GiB: " + secondPath}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list = MergeFileList();
        messages = RecordingMessages();
        AddBoth();
        if (c.secondStart) list.SetStartText(1, c.secondStart);
        if (c.removeSecond) std::filesystem::remove(secondPath);
        const auto output = folder.Write("merged.bin", std::string(50, 'x'));
        EXPECT_FALSE(MergeFiles(list, c.fill, output, messages, c.language));
        EXPECT_EQ(ReadBytes(output), std::vector<uint8_t>(50, 'x'));
        EXPECT_EQ(messages.warnings, c.warnings);
        EXPECT_EQ(messages.errors, c.errors);
        EXPECT_TRUE(messages.messages.empty());  // no completion message
    }
    // No temporary file is left beside the output.
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().extension(), ".bin") << entry.path();
}

TEST_F(MergeFixture, OutputThatCannotBeCreatedIsReported) {
    AddBoth();
    const auto output = folder / "absent" / "merged.bin";
    EXPECT_FALSE(MergeFiles(list, "FF", output, messages, 2));
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Cannot write the file: " + output.string()});
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MergeFixture, FewerThanTwoFilesWriteNothing) {
    const auto output = folder / "merged.bin";
    EXPECT_FALSE(MergeFiles(list, "FF", output, messages, 0));
    ASSERT_TRUE(list.AddFile(folder.Write("a.bin", first).string()) == MergeAddResult::Added);
    EXPECT_FALSE(MergeFiles(list, "FF", output, messages, 0));
    EXPECT_EQ(messages.warnings, (std::vector<std::string>{Text(0, TextId::MergeTooFewFiles), Text(0, TextId::MergeTooFewFiles)}));
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(MergeFixture, ListHoldsAtMostFourFilesAndShrinksFromTheEnd) {
    EXPECT_FALSE(list.RemoveLast());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(list.AddFile(folder.Write("f" + std::to_string(i), Filled(16, 0)).string()), MergeAddResult::Added);
    EXPECT_EQ(list.AddFile(folder.Write("f5", Filled(16, 0)).string()), MergeAddResult::ListFull);
    ASSERT_EQ(list.rows().size(), 4u);
    EXPECT_EQ(list.rows()[3].number, "4");
    EXPECT_EQ(list.rows()[3].startText, "00000030");
    EXPECT_TRUE(list.RemoveLast());
    EXPECT_EQ(list.rows().size(), 3u);
    EXPECT_EQ(list.rows().back().fileName, (folder / "f2").string());
    EXPECT_EQ(list.AddFile((folder / "missing.bin").string()), MergeAddResult::CannotOpen);
    EXPECT_EQ(list.AddFile(folder.path().string()), MergeAddResult::CannotOpen);  // a folder
    EXPECT_EQ(list.rows().size(), 3u);
}

TEST_F(MergeFixture, EditingAStartRecomputesOnlyThatRowsEnd) {
    AddBoth();
    list.SetStartText(0, "00001000");
    EXPECT_EQ(list.rows()[0].endText, "000010FF");
    EXPECT_EQ(list.rows()[1].startText, "00000100");  // later rows keep their cells
    EXPECT_EQ(list.rows()[1].endText, "0000017F");
    // The size is read again from the file at each edit.
    folder.Write("b.bin", Filled(0x10, 0));
    list.SetStartText(1, "2000");
    EXPECT_EQ(list.rows()[1].startText, "2000");
    EXPECT_EQ(list.rows()[1].endText, "0000200F");
    // While typing, an incomplete or invalid start leaves the end empty.
    for (const char* text : {"", "20x", "123456789"}) {
        list.SetStartText(1, text);
        EXPECT_EQ(list.rows()[1].endText, "") << text;
    }
    // A file added next starts after the last row's end; without one, at 0.
    list.SetStartText(1, "2000");
    ASSERT_EQ(list.AddFile(folder.Write("c.bin", Filled(1, 0)).string()), MergeAddResult::Added);
    EXPECT_EQ(list.rows()[2].startText, "00002010");
    list.SetStartText(2, "zz");
    ASSERT_EQ(list.AddFile(folder.Write("d.bin", Filled(1, 0)).string()), MergeAddResult::Added);
    EXPECT_EQ(list.rows()[3].startText, "00000000");
}

struct ScriptedDialogs final : FileDialogView {
    std::string answer;
    std::vector<std::string> titles;
    std::string ChooseOpenFile(const std::string& title, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        titles.push_back(title);
        return answer;
    }
    std::string ChooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters, const std::string&,
                               const std::string&) override {
        titles.push_back(title);
        EXPECT_EQ(filters.size(), 2u);
        return answer;
    }
};

TEST_F(MergeFixture, ButtonsAskForFilesAndUseThePathUnchanged) {
    ScriptedDialogs dialogs;
    // Cancelled add: no row.
    EXPECT_FALSE(ChooseAndAddMergeFile(list, dialogs, messages, 0));
    dialogs.answer = folder.Write("a.bin", first).string();
    EXPECT_TRUE(ChooseAndAddMergeFile(list, dialogs, messages, 0));
    // Too few files: no dialog at all.
    dialogs.titles.clear();
    EXPECT_FALSE(ChooseOutputAndMerge(list, "FF", dialogs, messages, 0));
    EXPECT_TRUE(dialogs.titles.empty());
    dialogs.answer = (folder / "gone.bin").string();
    EXPECT_FALSE(ChooseAndAddMergeFile(list, dialogs, messages, 2));
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Cannot open the file: " + dialogs.answer});
    dialogs.answer = folder.Write("b.bin", second).string();
    EXPECT_TRUE(ChooseAndAddMergeFile(list, dialogs, messages, 0));

    dialogs.answer.clear();  // cancelled save: nothing written
    EXPECT_FALSE(ChooseOutputAndMerge(list, "FF", dialogs, messages, 0));
    EXPECT_EQ(dialogs.titles.back(), Text(0, TextId::MergeSaveTitle));
    dialogs.answer = (folder / "merged").string();  // no extension is added
    EXPECT_TRUE(ChooseOutputAndMerge(list, "FF", dialogs, messages, 0));
    EXPECT_EQ(ReadBytes(folder / "merged"), Join({first, second}));
}

}  // namespace
}  // namespace tq
