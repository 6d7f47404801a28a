#include "core/base/chip_family.h"

#include <array>

namespace tq {

namespace {

using enum ChipType;

// One row per family; a field left out takes the rule of no family
// (4096-byte read and verify blocks, blocks of the chip size up to 2048,
// a fill erase, no pauses, no detection).
constexpr std::array<ChipFamily, 7> kFamilies{{
    {.type = SpiFlash, .name = "SPI FLASH", .polledErase = true, .detects = true, .projectCode = CodeOf(SpiFlash),
     .simProgramsLikeFlash = true},
    {.type = Eeprom24, .name = "24 EEPROM", .pacedWrite = true, .familyIdByte = 0x24, .projectCode = CodeOf(Eeprom24),
     .simWriteTime = SimWriteTime::PerPage},
    {.type = Eeprom25, .name = "25 EEPROM", .readBlock = {0, 512}, .readPause10us = 500, .pacedWrite = true,
     .reselectsAfterFailedDetect = true, .projectCode = CodeOf(Eeprom25), .simWriteTime = SimWriteTime::PerPage},
    // DataFlash: written a page at a time with the page's built-in erase.
    {.type = Eeprom45, .name = "45 EEPROM", .readBlock = {6, 0}, .verifyBlock = {3, 0},
     .writeBlocks = WriteBlocks::OnePage, .polledErase = true, .erasePollExtra10us = 30000, .detects = true,
     .projectCode = CodeOf(Eeprom45)},
    {.type = Eeprom93, .name = "93 EEPROM", .readBlock = {0, 512}, .verifyBlock = {0, 512}, .readPause10us = 500,
     .pacedWrite = true, .fillErasePause10us = 2000, .reselectsAfterFailedDetect = true,
     .projectCode = CodeOf(Eeprom93), .simWriteTime = SimWriteTime::PerByte},
    {.type = Eeprom95, .name = "95 EEPROM", .readBlock = {0, 512}, .readPause10us = 500, .pacedWrite = true,
     .reselectsAfterFailedDetect = true, .projectCode = CodeOf(Eeprom95), .simWriteTime = SimWriteTime::PerPage},
    // The stand-alone mode knows SWD targets only as "SWD Flash".
    {.type = SwdArm, .name = "SWD ARM", .writeBlocks = WriteBlocks::Fixed1024, .polledErase = true,
     .projectAlias = "SWD Flash", .onM500 = false, .simProgramsLikeFlash = true},
}};

constexpr ChipFamily kNoFamily{};

}  // namespace

std::span<const ChipFamily> ChipFamilies() { return kFamilies; }

const ChipFamily& FamilyOf(ChipType type) {
    for (const ChipFamily& family : kFamilies)
        if (family.type == type) return family;
    return kNoFamily;
}

const ChipFamily& FamilyOfCode(uint16_t code) {
    return code > 0xFF ? kNoFamily : FamilyOf(static_cast<ChipType>(code));
}

const ChipFamily& FamilyNamed(std::string_view name) {
    for (const ChipFamily& family : kFamilies)
        if (family.name == name) return family;
    return kNoFamily;
}

}  // namespace tq
