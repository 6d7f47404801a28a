#include "core/buffer/file_import.h"

#include <gtest/gtest.h>

#include "core/buffer/hex_view_model.h"
#include "core/buffer/tool_dialog.h"
#include "support/buffer_session.h"
#include "support/expect.h"
#include "support/hex_records.h"

namespace tq {
namespace {

using testing::Counting;

struct ImportFixture : ::testing::Test {
    testing::BufferSession t;
    FileEditDialog dialog;

    void SetUp() override { t.SelectChip(4096); }
    void Ok() { ApplyBufferDialog(t.session.Buffer, dialog, t.caption); }
};

TEST_F(ImportFixture, TheLastDroppedFileIsOfferedInImportMode) {
    PrepareFillDialog(t.session.Buffer, dialog, BuiltInTexts());  // a drop re-prepares a showing dialog
    t.session.Chip.PrjInfo.RamStartAddr = 0x1234;
    DropFiles(t.session.Buffer, dialog, {"/a/first.bin", "/a/second.hex", "/a/third.bin"});
    EXPECT_EQ(t.session.Buffer.OpenDialog.FileName, "/a/third.bin");
    EXPECT_EQ(t.session.Buffer.OpenDialog.Filters.size(), 7u);  // the open command's, S-records included
    EXPECT_EQ(dialog.Mode, 0);
    EXPECT_TRUE(dialog.Visible);
    EXPECT_EQ(dialog.Caption, "文件导入缓存区编辑");
    EXPECT_EQ(dialog.Field1.text, "00001234");
    EXPECT_FALSE(dialog.Field2.visible);
    EXPECT_FALSE(dialog.Field3.visible);
    EXPECT_FALSE(dialog.RandomVisible);
    // Nothing is loaded before OK.
    EXPECT_EQ(t.session.Buffer.RamFile.Data, std::vector<uint8_t>(4096, 0xFF));

    FileEditDialog untouched;
    DropFiles(t.session.Buffer, untouched, {});
    EXPECT_FALSE(untouched.Visible);
    EXPECT_EQ(t.session.Buffer.OpenDialog.FileName, "/a/third.bin");
}

TEST_F(ImportFixture, OkLoadsTheFileAtTheTypedStartAddress) {
    struct Case {
        const char* startText;
        uint32_t ramStart;
        const char* firstAddress;
    };
    const Case cases[] = {{"00000000", 0, "000000 "}, {"0800", 0x800, "000800 "}};
    const std::vector<uint8_t> bytes = Counting(0x21, 1024);
    const std::string path = t.folder.Write("drop.bin", bytes).string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startText);
        DropFiles(t.session.Buffer, dialog, {path});
        dialog.Field1.text = c.startText;
        Ok();
        ASSERT_TRUE(t.messages.errors.empty());
        EXPECT_FALSE(dialog.Visible);
        EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, c.ramStart);
        EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 1024u);
        EXPECT_EQ(t.session.Buffer.RamFile.Data[0], 0x21);  // data still starts at buffer offset 0
        EXPECT_EQ(t.session.Buffer.RamFile.FileName, path);
        EXPECT_EQ(t.session.Buffer.RamFile.FileOpened, 1);
        EXPECT_EQ(BuildHexPage(t.session.Buffer).addressLines.front(), c.firstAddress);
        EXPECT_EQ(t.CheckSumPanel(), CheckSumText(CheckSum32(0, bytes.data(), bytes.size())));
        EXPECT_EQ(t.caption.captions.back(), "Programmer  V1    " + path);
        EXPECT_EQ(t.hexView.scrollMaximum, 1024u);
    }
}

TEST_F(ImportFixture, ADroppedHexFileIsImportedFromItsImageInMemory) {
    const std::string path =
        t.folder.Write("fw.HEX", testing::DataRecord(0, Counting(1, 16)) + testing::EndRecord()).string();
    DropFiles(t.session.Buffer, dialog, {path});
    Ok();
    EXPECT_EQ(t.session.Buffer.RamFile.FileName, path);
    EXPECT_FALSE(std::filesystem::exists(t.folder / "temp" / "hex.bin"));  // no scratch file
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 16u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[15], 16);
    EXPECT_EQ(t.caption.captions.back(), "Programmer  V1    " + path);
}

TEST_F(ImportFixture, WhatDoesNotFitFromTheStartAddressIsLeftOutAfterAWarning) {
    t.SelectChip(256);
    t.session.Texts.Language = 2;
    const std::string path = t.folder.Write("big.bin", Counting(0, 300)).string();
    DropFiles(t.session.Buffer, dialog, {path});
    dialog.Field1.text = "40";
    Ok();
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 0xC0u);  // 256 - 0x40
    ASSERT_EQ(t.messages.warnings.size(), 1u);
    EXPECT_SAYS(t.messages.warnings[0], "the 108 bytes from file address 0xC0 on are left out");
    EXPECT_EQ(t.caption.captions.back(), "Programmer  V1    " + path + " (first 192 of 300 bytes)");

    // A start at the chip's end leaves nothing to load: refused, nothing changes.
    DropFiles(t.session.Buffer, dialog, {path});
    dialog.Field1.text = "100";
    Ok();
    ASSERT_EQ(t.messages.errors.size(), 1u);
    EXPECT_SAYS(t.messages.errors[0], "0x100");
    EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, 0x40u);
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 0xC0u);
}

TEST_F(ImportFixture, CancelABadStartOrAnUnreadableFileChangeNothing) {
    t.session.Chip.PrjInfo.RamStartAddr = 0x100;
    const std::string path = t.folder.Write("drop.bin", Counting(0, 64)).string();

    DropFiles(t.session.Buffer, dialog, {path});
    CloseBufferDialog(dialog);
    EXPECT_FALSE(dialog.Visible);

    DropFiles(t.session.Buffer, dialog, {path});
    dialog.Field1.text = "80 00";
    t.session.Texts.Language = 2;
    Ok();
    ASSERT_EQ(t.messages.errors.size(), 1u);
    EXPECT_EQ(t.messages.errors[0], "'80 00' is not a valid hexadecimal number");
    EXPECT_TRUE(dialog.Visible);

    DropFiles(t.session.Buffer, dialog, {(t.folder / "gone.bin").string()});
    dialog.Field1.text = "8000";
    Ok();
    ASSERT_EQ(t.messages.errors.size(), 2u);
    EXPECT_NE(t.messages.errors[1].find("gone.bin"), std::string::npos);

    EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, 0x100u);
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 4096u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, std::vector<uint8_t>(4096, 0xFF));
    EXPECT_TRUE(t.caption.captions.empty());
}

}  // namespace
}  // namespace tq
