#include "core/buffer/hex_view_model.h"

#include <gtest/gtest.h>

#include "support/buffer_session.h"

namespace tq {
namespace {

Ram_File_Info_Struct Record(uint32_t storage, uint32_t dataLen, uint32_t viewTop = 0) {
    Ram_File_Info_Struct ram;
    ram.Data.resize(storage);
    for (uint32_t i = 0; i < storage; ++i) ram.Data[i] = static_cast<uint8_t>(i);
    ram.DataLen = dataLen;
    ram.ViewTop = viewTop;
    return ram;
}

TEST(HexPage, A256ByteChipShowsSixteenFullRowsOfFF) {
    testing::BufferSession t;
    t.SelectChip(256);
    const HexPage page = BuildHexPage(t.session.Buffer);
    ASSERT_EQ(page.hexLines.size(), 16u);
    EXPECT_EQ(page.shownBytes, 256u);
    EXPECT_EQ(page.addressLines.front(), "000000 ");
    EXPECT_EQ(page.addressLines.back(), "0000F0 ");
    std::string fullRow;
    for (int i = 0; i < 16; ++i) fullRow += "FF ";
    for (size_t r = 0; r < 16; ++r) {
        EXPECT_EQ(page.hexLines[r], fullRow);
        EXPECT_EQ(page.asciiLines[r], std::string(16, '.'));
    }
    EXPECT_EQ(fullRow.size(), 48u);
    EXPECT_EQ(page.HexText().size(), 16u * 49 - 1);
}

TEST(HexPage, RowsAddressesAndCellsFollowViewTopDataLenAndStartAddress) {
    struct Case {
        uint32_t storage, dataLen, viewTop, ramStart;
        size_t rows;
        std::string firstAddress, lastHexLine;
    };
    const Case cases[] = {
        {256, 256, 0, 0x1000, 16, "001000 ", ""},
        {256, 256, 0, 0x12345678, 16, "12345678 ", ""},  // above 0xFFFFFF: more than six digits
        {256, 100, 0, 0, 7, "000000 ", "60 61 62 63 "},   // short last row of 4 cells
        {256, 0, 0, 0, 1, "000000 ", ""},                 // only the address cell
        {256, 100, 96, 0x10, 1, "000070 ", "60 61 62 63 "},
        {1024, 1024, 0, 0, 24, "000000 ", ""},            // a page is 24 rows
        {1024, 1024, 0x3F0, 0, 1, "0003F0 ", ""},
        {64, 200, 0, 0, 4, "000000 ", ""},                // never past the storage
    };
    EXPECT_EQ(BuildHexPage(Record(4096, 4096), 0, 40).hexLines.size(), 40u);  // a taller view
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "dataLen " << c.dataLen << " viewTop " << c.viewTop);
        const HexPage page = BuildHexPage(Record(c.storage, c.dataLen, c.viewTop), c.ramStart);
        ASSERT_EQ(page.hexLines.size(), c.rows);
        ASSERT_EQ(page.addressLines.size(), c.rows);
        ASSERT_EQ(page.asciiLines.size(), c.rows);
        EXPECT_EQ(page.addressLines.front(), c.firstAddress);
        if (!c.lastHexLine.empty()) {
            EXPECT_EQ(page.hexLines.back(), c.lastHexLine);
        }
        EXPECT_EQ(page.asciiLines.back().size() * 3, page.hexLines.back().size());
    }
}

TEST(HexPage, AsciiShowsPrintableBytesAndDotsForTheRest) {
    Ram_File_Info_Struct ram;
    ram.Data = {0x1F, 0x20, 'A', 0x7E, 0x7F, 0x80, 0xFF, 'z'};
    ram.DataLen = 8;
    const HexPage page = BuildHexPage(ram, 0);
    EXPECT_EQ(page.asciiLines[0], ". A~...z");
    EXPECT_EQ(page.hexLines[0], "1F 20 41 7E 7F 80 FF 7A ");
}

TEST(HexPage, BytesBeyondDataLenAreNotShown) {
    Ram_File_Info_Struct ram = Record(256, 20);
    const HexPage page = BuildHexPage(ram, 0);
    EXPECT_EQ(page.shownBytes, 20u);
    EXPECT_EQ(page.hexLines.size(), 2u);
    EXPECT_EQ(page.hexLines[1], "10 11 12 13 ");
}

TEST(HexPage, WithoutStorageShowsOneEmptyRow) {
    Ram_File_Info_Struct ram;
    const HexPage page = BuildHexPage(ram, 0);
    EXPECT_EQ(page.AddressText(), "000000 ");
    EXPECT_EQ(page.HexText(), "");
    EXPECT_EQ(ram.ViewData(), nullptr);
}

TEST(Scrolling, ClampsToTheLastPageOrUsesThePositionBelowOnePage) {
    struct Case {
        uint32_t dataLen, position, viewTop;
    };
    const Case cases[] = {
        {8192, 8192, 0x1E80},  // the end of an 8 KiB buffer shows its last 384 bytes
        {8192, 8000, 0x1E80},
        {8192, 0x1234, 0x1230},
        {200, 150, 144},       // below one page the subtraction wraps: the position itself
        {384, 200, 0},
        {0, 0, 0},
        {1000, 1000, 0x270},   // the last page ends with the row of byte 999, not before it
        {1000, 700, 0x270},
        {8193, 8193, 0x1E90},
    };
    for (const Case& c : cases) EXPECT_EQ(ScrollViewTop(c.dataLen, c.position), c.viewTop) << c.dataLen;
    EXPECT_EQ(ScrollViewTop(1000, 1000, 40), 0x170u);  // a page of 40 rows

    testing::BufferSession t;
    t.SelectChip(8192);
    ScrollHexView(t.session.Buffer, 8192);
    HexPage page = BuildHexPage(t.session.Buffer);
    EXPECT_EQ(page.addressLines.front(), "001E80 ");
    EXPECT_EQ(page.addressLines.back(), "001FF0 ");
    EXPECT_EQ(page.shownBytes, 384u);

    t.session.Buffer.RamFile.DataLen = 200;
    ScrollHexView(t.session.Buffer, 150);
    page = BuildHexPage(t.session.Buffer);
    EXPECT_EQ(page.viewTop, 144u);
    EXPECT_EQ(page.shownBytes, 56u);  // offsets 144 to 199
    EXPECT_EQ(page.addressLines.back(), "0000C0 ");
}

TEST(RedrawHexView, RoundsViewTopDownAndRepaints) {
    testing::BufferSession t;
    t.SelectChip(256);
    const int before = t.hexView.redraws;
    t.session.Buffer.RamFile.ViewTop = 0x2F;
    RedrawHexView(t.session.Buffer);
    EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0x20u);
    EXPECT_EQ(t.session.Buffer.RamFile.ViewData(), t.session.Buffer.RamFile.Data.data() + 0x20);
    EXPECT_EQ(t.hexView.redraws, before + 1);
}

}  // namespace
}  // namespace tq
