#include "core/buffer/tool_dialog.h"

#include <gtest/gtest.h>

#include "support/buffer_session.h"

namespace tq {
namespace {

// Names every text by where it was looked up, so the test sees which key fed which control.
std::string Keyed(const std::string& section, const std::string& key, const std::string&) {
    return section + "/" + key;
}

struct ToolDialogFixture : ::testing::Test {
    testing::BufferSession t;
    FileEditDialog dialog;
    RandomByteSource counting = [n = uint8_t{0}]() mutable { return n++; };

    void SetUp() override { t.SelectChip(0x200); }
    std::optional<HexSelection> Ok() { return ApplyBufferDialog(t.session.Buffer, dialog, t.caption, counting); }
};

TEST_F(ToolDialogFixture, EachToolPreparesItsTextsFieldsAndMode) {
    PrepareFillDialog(t.session.Buffer, dialog, Keyed);
    EXPECT_EQ(dialog.Mode, 1);
    EXPECT_TRUE(dialog.Visible);
    EXPECT_EQ(dialog.Caption, "BufferFill/FillDialogTitle");
    EXPECT_EQ(dialog.Field1, (DialogField{"BufferFill/FillStartAddr", "00000000", true, true, 0}));
    EXPECT_EQ(dialog.Field2, (DialogField{"BufferFill/FillLen", "00000200", true, true, 0}));
    EXPECT_EQ(dialog.Field3, (DialogField{"BufferFill/FillValue", "00", true, true, 2}));
    EXPECT_EQ(dialog.RandomCaption, "BufferFill/FillRandom");
    EXPECT_TRUE(dialog.RandomVisible);
    EXPECT_FALSE(dialog.RandomChecked);
    EXPECT_EQ(dialog.OkCaption, "OK");
    EXPECT_EQ(dialog.CancelCaption, "Cancel");

    t.session.Buffer.RamFile.ViewTop = 0x1F0;
    PrepareJumpDialog(t.session.Buffer, dialog, Keyed);
    EXPECT_EQ(dialog.Mode, 2);
    EXPECT_EQ(dialog.Caption, "BufferJump/BufferJumpTitle");
    EXPECT_EQ(dialog.Field1, (DialogField{"BufferJump/BufferJumpAddr", "00000000", true, true, 0}));
    EXPECT_EQ(dialog.Field2, (DialogField{"BufferJump/BufferCurrentAddr", "000001F0", true, false, 0}));
    EXPECT_FALSE(dialog.Field3.visible);
    EXPECT_FALSE(dialog.RandomVisible);

    PrepareFindDialog(t.session.Buffer, dialog, Keyed);
    EXPECT_EQ(dialog.Mode, 3);
    EXPECT_EQ(dialog.Caption, "BufferFind/BufferFindTitle");
    EXPECT_EQ(dialog.Field1, (DialogField{"BufferFind/BufferFindValue", "FFFFFFFF", true, true, 512}));
    EXPECT_FALSE(dialog.Field2.visible);
    EXPECT_FALSE(dialog.Field2.enabled);
    EXPECT_FALSE(dialog.Field3.visible);
    // What no preparation touches stays as the last one left it.
    EXPECT_EQ(dialog.Field3.maxLength, 2);
    EXPECT_EQ(dialog.Field3.label, "BufferFill/FillValue");

    t.session.Chip.PrjInfo.RamStartAddr = 0x8000;
    PrepareImportDialog(t.session.Buffer, dialog);
    EXPECT_EQ(dialog.Mode, 0);
    EXPECT_EQ(dialog.Caption, "文件导入缓存区编辑");
    EXPECT_EQ(dialog.Field1, (DialogField{"缓存区起始地址(HEX):", "00008000", true, true, 0}));
    EXPECT_FALSE(dialog.Field2.visible);
    EXPECT_FALSE(dialog.Field3.visible);
    EXPECT_FALSE(dialog.RandomVisible);
}

TEST_F(ToolDialogFixture, WithoutALanguageFileTheBuiltInTextsAreUsed) {
    PrepareFillDialog(t.session.Buffer, dialog, BuiltInTexts());
    EXPECT_EQ(dialog.Caption, "缓冲区填充设置");
    EXPECT_EQ(dialog.Field1.label, "起始地址(HEX):");
    EXPECT_EQ(dialog.Field2.label, "填充长度(HEX):");
    EXPECT_EQ(dialog.Field3.label, "填充数值(HEX):");
    EXPECT_EQ(dialog.RandomCaption, "随机填充");
    PrepareJumpDialog(t.session.Buffer, dialog, BuiltInTexts());
    EXPECT_EQ(dialog.Caption, "缓冲区跳转");
    EXPECT_EQ(dialog.Field1.label, "跳转地址(HEX):");
    EXPECT_EQ(dialog.Field2.label, "当前地址(HEX):");
    PrepareFindDialog(t.session.Buffer, dialog, BuiltInTexts());
    EXPECT_EQ(dialog.Caption, "查找缓冲区");
    EXPECT_EQ(dialog.Field1.label, "查找内容(HEX):");
}

TEST_F(ToolDialogFixture, FillWithTheDefaultsClearsTheWholeChip) {
    t.session.Buffer.RamFile.DataLen = 0x10;
    PrepareFillDialog(t.session.Buffer, dialog, BuiltInTexts());
    EXPECT_FALSE(Ok());
    EXPECT_FALSE(dialog.Visible);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, std::vector<uint8_t>(0x200, 0x00));
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 0x200u);
    EXPECT_EQ(t.CheckSumPanel(), "CheckSum:0x00000000");
}

TEST_F(ToolDialogFixture, TheRandomBoxDisablesTheValueAndFillsRandomBytes) {
    PrepareFillDialog(t.session.Buffer, dialog, BuiltInTexts());
    SetRandomFill(dialog, true);
    EXPECT_FALSE(dialog.Field3.enabled);
    dialog.Field1.text = "10";
    dialog.Field2.text = "3";
    Ok();
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x10], 0);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x12], 2);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x13], 0xFF);
    SetRandomFill(dialog, false);
    EXPECT_TRUE(dialog.Field3.enabled);
}

TEST_F(ToolDialogFixture, ABadNumberIsQuotedAndTheDialogStaysOpenWithNothingChanged) {
    struct Case {
        void (*prepare)(BufferContext&, FileEditDialog&, const TextLookup&);
        DialogField FileEditDialog::*field;
        const char* text;
    };
    const Case cases[] = {
        {PrepareFillDialog, &FileEditDialog::Field1, "12G"},
        {PrepareFillDialog, &FileEditDialog::Field2, ""},
        {PrepareFillDialog, &FileEditDialog::Field3, "X"},
        {PrepareJumpDialog, &FileEditDialog::Field1, "123456789"},
    };
    t.session.Texts.Language = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        c.prepare(t.session.Buffer, dialog, BuiltInTexts());
        (dialog.*c.field).text = c.text;
        t.messages.errors.clear();
        const std::vector<uint8_t> before = t.session.Buffer.RamFile.Data;
        Ok();
        ASSERT_EQ(t.messages.errors.size(), 1u);
        EXPECT_EQ(t.messages.errors[0], "'" + std::string(c.text) + "' is not a valid hexadecimal number");
        EXPECT_TRUE(dialog.Visible);
        EXPECT_EQ(t.session.Buffer.RamFile.Data, before);
        EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0u);
    }
}

TEST_F(ToolDialogFixture, JumpAndFindCarryOutTheirTools) {
    PrepareJumpDialog(t.session.Buffer, dialog, BuiltInTexts());
    dialog.Field1.text = "123";
    Ok();
    EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0x120u);
    EXPECT_FALSE(dialog.Visible);

    PrepareJumpDialog(t.session.Buffer, dialog, BuiltInTexts());
    dialog.Field1.text = "200";  // = DataLen: refused silently
    Ok();
    EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0x120u);
    EXPECT_FALSE(dialog.Visible);
    EXPECT_TRUE(t.messages.errors.empty());

    t.session.Buffer.RamFile.Data[0x150] = 0xAB;
    PrepareFindDialog(t.session.Buffer, dialog, BuiltInTexts());
    dialog.Field1.text = "ABC";  // the single byte 0xAB
    const std::optional<HexSelection> selection = Ok();
    ASSERT_TRUE(selection);
    EXPECT_EQ(t.session.Buffer.RamFile.FindLen, 1);
    EXPECT_EQ(t.session.Buffer.RamFile.FindPos, 0x150);
    EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0x150u);
    EXPECT_EQ(*selection, (HexSelection{0, 2}));
    EXPECT_FALSE(dialog.Visible);
}

TEST_F(ToolDialogFixture, FindWithAnEmptyOrBadPattern) {
    t.session.Buffer.RamFile.FindPos = 9;
    PrepareFindDialog(t.session.Buffer, dialog, BuiltInTexts());
    dialog.Field1.text = "F";
    EXPECT_FALSE(Ok());
    EXPECT_EQ(t.session.Buffer.RamFile.FindLen, 0);
    EXPECT_EQ(t.session.Buffer.RamFile.FindPos, -1);
    EXPECT_FALSE(dialog.Visible);

    PrepareFindDialog(t.session.Buffer, dialog, BuiltInTexts());
    dialog.Field1.text = "FFQQ";
    EXPECT_FALSE(Ok());
    EXPECT_EQ(t.messages.errors.size(), 1u);
    EXPECT_EQ(t.session.Buffer.RamFile.FindLen, 2);
    EXPECT_EQ(t.session.Buffer.RamFile.FindPattern[0], 0xFF);
    EXPECT_TRUE(dialog.Visible);
}

TEST_F(ToolDialogFixture, CancelAndUnknownModesChangeNothing) {
    PrepareFillDialog(t.session.Buffer, dialog, BuiltInTexts());
    dialog.Mode = 7;
    EXPECT_FALSE(Ok());
    EXPECT_TRUE(dialog.Visible);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, std::vector<uint8_t>(0x200, 0xFF));
    CloseBufferDialog(dialog);
    EXPECT_FALSE(dialog.Visible);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, std::vector<uint8_t>(0x200, 0xFF));
}

}  // namespace
}  // namespace tq
