#include "core/buffer/buffer_undo.h"

#include <gtest/gtest.h>

#include "core/app/chip_selection.h"
#include "core/buffer/buffer_clipboard.h"
#include "core/buffer/buffer_tools.h"
#include "core/buffer/file_import.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_navigation.h"
#include "core/buffer/hex_view_model.h"
#include "core/buffer/tool_dialog.h"
#include "support/buffer_session.h"
#include "support/expect.h"
#include "support/hex_records.h"

namespace tq {
namespace {

using testing::Counting;

struct UndoFixture : ::testing::Test {
    testing::BufferSession t;
    BufferContext& buffer = t.session.Buffer;
    Ram_File_Info_Struct& ram = t.session.Buffer.RamFile;

    void SetUp() override {
        t.SelectChip(1024);
        std::string error;
        ASSERT_TRUE(LoadDataFile(buffer, t.folder.Write("image.bin", Counting(0, 1000)).string(), error)) << error;
    }
    std::vector<uint8_t> Shown() const { return {ram.Data.begin(), ram.Data.begin() + ram.DataLen}; }
    // The panel agrees with a full sum of the storage after every step.
    void ExpectStorageSumShown() const {
        EXPECT_EQ(t.CheckSumPanel(), CheckSumText(CheckSum32(0, ram.Data.data(), ram.Data.size()), CheckSumForm::Plain));
    }
    // Undo gives back `before`, redo `after`, each twice over.
    void ExpectUndoRedo(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after) {
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(UndoBufferEdit(buffer));
            EXPECT_EQ(Shown(), before);
            ExpectStorageSumShown();
            ASSERT_TRUE(RedoBufferEdit(buffer));
            EXPECT_EQ(Shown(), after);
            ExpectStorageSumShown();
        }
    }
};

TEST_F(UndoFixture, EditFillSwapAndImportAreUndoneAndRedone) {
    const std::vector<uint8_t> opened = Shown();
    EXPECT_FALSE(buffer.History.Modified());

    // Typing "A5" over 0x3C: one step back restores the whole byte.
    PlaceHexCaret(buffer, 0x3C);
    ASSERT_TRUE(TypeHexKey(buffer, 'A'));
    ASSERT_TRUE(TypeHexKey(buffer, '5'));
    EXPECT_EQ(ram.Data[0x3C], 0xA5);
    EXPECT_TRUE(buffer.History.Modified());
    std::vector<uint8_t> edited = opened;
    edited[0x3C] = 0xA5;
    ExpectUndoRedo(opened, edited);

    // A fill past DataLen grows it; undo shrinks it again.
    ASSERT_TRUE(FillBuffer(buffer, 990, 30, 0x00));
    std::vector<uint8_t> filled = edited;
    filled.resize(1020, 0x00);
    std::fill(filled.begin() + 990, filled.end(), 0x00);
    EXPECT_EQ(Shown(), filled);
    ExpectUndoRedo(edited, filled);

    SwapBufferBytePairs(buffer);
    std::vector<uint8_t> swapped = filled;
    for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    ExpectUndoRedo(filled, swapped);

    // An import at a start address: bytes, DataLen and RamStartAddr come back.
    FileEditDialog dialog;
    DropFiles(buffer, dialog, {t.folder.Write("drop.bin", std::vector<uint8_t>(40, 0x77)).string()});
    dialog.Field1.text = "8000";
    ApplyBufferDialog(buffer, dialog, t.caption);
    ASSERT_TRUE(t.messages.errors.empty());
    EXPECT_EQ(Shown(), std::vector<uint8_t>(40, 0x77));
    ASSERT_TRUE(UndoBufferEdit(buffer));
    EXPECT_EQ(Shown(), swapped);
    EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, 0u);
    ASSERT_TRUE(RedoBufferEdit(buffer));
    EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, 0x8000u);

    // Back to the opened file: unmodified again; nothing further to undo.
    while (UndoBufferEdit(buffer)) {
    }
    EXPECT_EQ(Shown(), opened);
    EXPECT_FALSE(buffer.History.Modified());
    // The swap kept no bytes; the fill only its 30.
    EXPECT_LE(buffer.History.StoredBytes(), 1u + 30u + 40u);
}

TEST_F(UndoFixture, SavingClearsTheModifiedMarkAndANewImageClearsTheHistory) {
    PlaceHexCaret(buffer, 0);
    TypeHexKey(buffer, 'F');
    EXPECT_TRUE(buffer.History.Modified());
    t.fileDialog.answers.push_back((t.folder / "saved.bin").string());
    SaveBufferAs(buffer);
    EXPECT_FALSE(buffer.History.Modified());
    UndoBufferEdit(buffer);  // now differs from the saved file
    EXPECT_TRUE(buffer.History.Modified());
    RedoBufferEdit(buffer);
    EXPECT_FALSE(buffer.History.Modified());

    TypeHexKey(buffer, '1');
    t.SelectChip(2048);
    EXPECT_FALSE(buffer.History.Modified());
    EXPECT_FALSE(UndoBufferEdit(buffer));
}

TEST_F(UndoFixture, UnsavedEditsAreLostOnlyWhenThePersonAgrees) {
    // Without edits nobody is asked.
    t.fileDialog.answers.push_back("");
    ChooseAndOpenFile(buffer, t.caption, BuiltInTexts());
    EXPECT_TRUE(t.messages.questions.empty());
    EXPECT_EQ(t.fileDialog.opens.size(), 1u);

    PlaceHexCaret(buffer, 0);
    TypeHexKey(buffer, 'F');
    t.messages.answer = false;
    ChooseAndOpenFile(buffer, t.caption, BuiltInTexts());
    EXPECT_EQ(t.messages.questions.size(), 1u);
    EXPECT_EQ(t.fileDialog.opens.size(), 1u);  // no dialog: the edits stay
    EXPECT_EQ(ram.Data[0], 0xF0);

    t.messages.answer = true;
    t.fileDialog.answers.push_back((t.folder / "image.bin").string());
    ChooseAndOpenFile(buffer, t.caption, BuiltInTexts());
    EXPECT_EQ(ram.Data[0], 0x00);
    EXPECT_FALSE(buffer.History.Modified());
}

TEST_F(UndoFixture, UndoIsRefusedWhileAnOperationHoldsTheBuffer) {
    PlaceHexCaret(buffer, 0);
    TypeHexKey(buffer, 'F');
    t.session.Busy.Running = true;
    EXPECT_FALSE(UndoBufferEdit(buffer));
    EXPECT_FALSE(TypeHexKey(buffer, '1'));
    t.session.Busy.Running = false;
    EXPECT_EQ(ram.Data[0], 0xF0);
}

TEST(BufferHistory, DropsTheOldestChangesBeyondItsBudget) {
    BufferHistory history;
    for (uint8_t i = 0; i < 4; ++i) {
        BufferEdit change;
        change.bytes.assign(100, i);
        history.Push(std::move(change), 250);
    }
    EXPECT_EQ(history.UndoCount(), 2u);
    EXPECT_EQ(history.StoredBytes(), 200u);
    EXPECT_EQ(history.Undo()->bytes.front(), 3);
    // The clean state was dropped with the oldest changes: no undo reaches it.
    EXPECT_TRUE(history.Modified());
    history.Undo();
    EXPECT_TRUE(history.Modified());
}

// Paste, the change marks, and what fill, Go To and find show.
TEST_F(UndoFixture, CopyTakesTheSelectionOrTheCaretsByte) {
    EXPECT_EQ(CopySelection(buffer), std::nullopt);  // neither
    EXPECT_FALSE(t.statusBar.panels[0].empty());
    PlaceHexCaret(buffer, 0x40);
    EXPECT_EQ(CopySelection(buffer), (std::vector<uint8_t>{0x40}));
    buffer.Selection = {0x3E6, 10};  // past DataLen: only the bytes that are there
    EXPECT_EQ(CopySelection(buffer), (std::vector<uint8_t>{0xE6, 0xE7}));
    EXPECT_SAYS(t.statusBar.panels[0], "2");
    t.SelectChip(kMaxCopyBytes + 1);
    SelectWholeBuffer(buffer);
    EXPECT_EQ(CopySelection(buffer), std::nullopt);  // too large for the clipboard, and said so
    EXPECT_SAYS(t.statusBar.panels[0], std::to_string(kMaxCopyBytes + 1));
}

TEST_F(UndoFixture, PasteOverwritesAtTheCaretAsOneUndoStepAndStopsAtTheChipsEnd) {
    PlaceHexCaret(buffer, 0x10);
    ASSERT_TRUE(PasteHexText(buffer, "DE AD BE EF"));
    EXPECT_EQ(std::vector<uint8_t>(ram.Data.begin() + 0x0F, ram.Data.begin() + 0x15),
              (std::vector<uint8_t>{0x0F, 0xDE, 0xAD, 0xBE, 0xEF, 0x14}));
    EXPECT_EQ(buffer.HexView.caretOffset, 0x14u);
    EXPECT_SAYS(t.statusBar.panels[0], "00000010");
    ASSERT_TRUE(UndoBufferEdit(buffer));
    EXPECT_EQ(ram.Data[0x10], 0x10);
    EXPECT_EQ(ram.Data[0x13], 0x13);
    EXPECT_FALSE(buffer.History.Modified());

    // Near the end of the 1024-byte chip: DataLen grows, the rest is left out and said so.
    PlaceHexCaret(buffer, 998);
    ASSERT_TRUE(PasteBytes(buffer, std::vector<uint8_t>(40, 0x5A)));
    EXPECT_EQ(ram.DataLen, 1024u);
    EXPECT_EQ(ram.Data[1023], 0x5A);
    EXPECT_SAYS(t.statusBar.panels[0], "14");  // 40 - 26 bytes left out

    EXPECT_FALSE(PasteHexText(buffer, "12 3"));
    EXPECT_EQ(t.messages.errors.size(), 1u);
}

TEST_F(UndoFixture, EditedBytesAreMarkedUntilSavedAndUndoneEditsAreNot) {
    PlaceHexCaret(buffer, 0x21);
    ASSERT_TRUE(PasteHexText(buffer, "00 00"));
    FillBuffer(buffer, 0x30, 3, 0x77);
    ram.ViewTop = 0;
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x21, 2}, {0x30, 3}}));
    ram.ViewTop = 0x20;  // counted from the page's top
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x01, 2}, {0x10, 3}}));
    ram.ViewTop = 0;
    ASSERT_TRUE(UndoBufferEdit(buffer));
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x21, 2}}));
    MarkBufferSaved(buffer);
    EXPECT_TRUE(BuildHexPage(buffer).changed.empty());
    ASSERT_TRUE(UndoBufferEdit(buffer));  // back behind the saved state: differs again
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x21, 2}}));
    SwapBufferBytePairs(buffer);
    EXPECT_EQ(BuildHexPage(buffer).changed.size(), 1u);
    EXPECT_EQ(BuildHexPage(buffer).changed[0].offset, 0u);
}

TEST_F(UndoFixture, FillDropsTheFindsSelectionGoToPlacesTheCaretAndAMissIsSaid) {
    buffer.Selection = {0x42, 1};  // a find's match
    ASSERT_TRUE(FillBuffer(buffer, 0x40, 8, 0));
    EXPECT_EQ(buffer.Selection, BufferSelection{});

    ASSERT_TRUE(JumpBuffer(buffer, 0x123));
    EXPECT_TRUE(buffer.HexView.hasCaret);
    EXPECT_EQ(buffer.HexView.caretOffset, 0x123u);
    EXPECT_EQ(ram.ViewTop, 0x120u);

    ram.FindPattern[0] = 0x42;
    ram.FindPattern[1] = 0x41;  // counting bytes never go down
    ram.FindLen = 2;
    EXPECT_EQ(FindPatternFromView(buffer), std::nullopt);
    EXPECT_SAYS(t.statusBar.panels[0], "42 41");
}

}  // namespace
}  // namespace tq
