#include "core/chipdb/chip_row.h"

#include <gtest/gtest.h>

#include "core/chipdb/operation_record.h"

namespace tq {
namespace {

TEST(ChipRow, TypeCodes) {
    const std::pair<const char*, uint16_t> cases[] = {
        {"SPI FLASH", 1}, {"24 EEPROM", 2}, {"25 EEPROM", 3}, {"45 EEPROM", 4}, {"93 EEPROM", 5},
        {"95 EEPROM", 6}, {"SWD ARM", 7},   {"SWD Flash", 0}, {"spi flash", 0}, {"", 0},
    };
    for (const auto& [text, code] : cases) EXPECT_EQ(ChipTypeCode(text), code) << text;
}

TEST(ChipRow, VoltageCodes) {
    const std::pair<int64_t, uint8_t> cases[] = {{5000, 2}, {1800, 0}, {3300, 0}, {3000, 0}, {0, 0}};
    for (const auto& [voltage, code] : cases) EXPECT_EQ(VoltageCode(voltage), code) << voltage;
}

TEST(ChipRow, SizeTexts) {
    const std::pair<uint64_t, const char*> cases[] = {
        {8388608, "8MB"}, {1048576, "1MB"}, {1048575, "1023KB"}, {2048, "2KB"},
        {1536, "1KB"},    {1024, "1KB"},    {1023, "1023B"},     {256, "256B"}, {0, "0B"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatSize(bytes), text) << bytes;
}

TEST(ChipRow, CapacityTextsGiveBinaryBytesAndBits) {
    const std::pair<uint64_t, const char*> cases[] = {
        {8388608, "8 MiB (64 Mbit)"}, {65536, "64 KiB (512 Kbit)"}, {1536, "1.5 KiB (12 Kbit)"},
        {256, "256 B (2 Kbit)"},      {16, "16 B (128 bit)"},       {1048575, "1023.9 KiB (7.9 Mbit)"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(CapacityText(bytes), text) << bytes;
}

TEST(ChipRow, CopyCutsEachValueToItsField) {
    ChipRow row;
    row.ChipType = "45 EEPROM";
    row.BlockSize = 0x10010;  // 16-bit field
    row.Capacity = 8388608;
    row.EraseTime = 2300;
    row.PageSize = 264;
    row.OTPSize = 0x10000;
    row.Voltage = 5000;
    row.ChipPara = 0x1FF;  // low byte
    row.ChipPara1 = 9;
    Prj_Info_Struct prj;
    prj.ChipName = "kept";
    CopyChipParameters(row, prj);
    EXPECT_EQ(prj.ChipTypeCode, 4);
    EXPECT_EQ(prj.BlockSize, 0x10);
    EXPECT_EQ(prj.Capacity, 8388608u);
    EXPECT_EQ(prj.EraseTime, 2300u);
    EXPECT_EQ(prj.PageSize, 264);
    EXPECT_EQ(prj.OTPSize, 0);
    EXPECT_EQ(prj.VoltageCode, 2);
    EXPECT_EQ(prj.ChipPara, 0xFF);
    EXPECT_EQ(prj.ChipPara1, 9);
    EXPECT_EQ(prj.ChipName, "kept");

    CopyChipParameters(ChipRow{}, prj);  // a name without a row: everything 0
    EXPECT_EQ(prj.ChipTypeCode, 0);
    EXPECT_EQ(prj.Capacity, 0u);
    EXPECT_EQ(prj.VoltageCode, 0);
}

TEST(ChipRow, WellFormedIds) {
    EXPECT_TRUE(IsWellFormedChipId("EF4017"));
    EXPECT_TRUE(IsWellFormedChipId("1F2300"));
    EXPECT_FALSE(IsWellFormedChipId("ef4017"));
    EXPECT_FALSE(IsWellFormedChipId("EF401"));
    EXPECT_FALSE(IsWellFormedChipId("EF40170"));
    EXPECT_FALSE(IsWellFormedChipId("EF40G7"));
    EXPECT_FALSE(IsWellFormedChipId(""));
}

}  // namespace
}  // namespace tq
