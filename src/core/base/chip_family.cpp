#include "core/base/chip_family.h"

#include <array>

namespace tq {

namespace {

ChipFamily Family(ChipType type, std::string_view name) {
    ChipFamily family;
    family.type = type;
    family.name = name;
    return family;
}

std::array<ChipFamily, 7> BuildFamilies() {
    ChipFamily spi = Family(ChipType::SpiFlash, "SPI FLASH");
    spi.polledErase = true;
    spi.detects = true;
    spi.projectCode = CodeOf(ChipType::SpiFlash);
    spi.simProgramsLikeFlash = true;

    ChipFamily e24 = Family(ChipType::Eeprom24, "24 EEPROM");
    e24.pacedWrite = true;
    e24.familyIdByte = 0x24;
    e24.projectCode = CodeOf(ChipType::Eeprom24);
    e24.simWriteTime = SimWriteTime::PerPage;

    ChipFamily e25 = Family(ChipType::Eeprom25, "25 EEPROM");
    e25.readBlock = {0, 512};
    e25.readPause10us = 500;
    e25.pacedWrite = true;
    e25.reselectsAfterFailedDetect = true;
    e25.projectCode = CodeOf(ChipType::Eeprom25);
    e25.simWriteTime = SimWriteTime::PerPage;

    // DataFlash: written a page at a time with the page's built-in erase.
    ChipFamily e45 = Family(ChipType::Eeprom45, "45 EEPROM");
    e45.readBlock = {6, 0};
    e45.verifyBlock = {3, 0};
    e45.writeBlocks = WriteBlocks::OnePage;
    e45.polledErase = true;
    e45.erasePollExtra10us = 30000;
    e45.detects = true;
    e45.projectCode = CodeOf(ChipType::Eeprom45);

    ChipFamily e93 = Family(ChipType::Eeprom93, "93 EEPROM");
    e93.readBlock = {0, 512};
    e93.verifyBlock = {0, 512};
    e93.readPause10us = 500;
    e93.pacedWrite = true;
    e93.fillErasePause10us = 2000;
    e93.reselectsAfterFailedDetect = true;
    e93.projectCode = CodeOf(ChipType::Eeprom93);
    e93.simWriteTime = SimWriteTime::PerByte;

    ChipFamily e95 = Family(ChipType::Eeprom95, "95 EEPROM");
    e95.readBlock = {0, 512};
    e95.readPause10us = 500;
    e95.pacedWrite = true;
    e95.reselectsAfterFailedDetect = true;
    e95.projectCode = CodeOf(ChipType::Eeprom95);
    e95.simWriteTime = SimWriteTime::PerPage;

    // The stand-alone mode knows SWD targets only as "SWD Flash".
    ChipFamily swd = Family(ChipType::SwdArm, "SWD ARM");
    swd.writeBlocks = WriteBlocks::Fixed1024;
    swd.polledErase = true;
    swd.projectAlias = "SWD Flash";
    swd.onM500 = false;
    swd.simProgramsLikeFlash = true;

    return {spi, e24, e25, e45, e93, e95, swd};
}

// Built on first use, so a lookup during another file's start-up finds it.
const std::array<ChipFamily, 7>& Families() {
    static const std::array<ChipFamily, 7> families = BuildFamilies();
    return families;
}
const ChipFamily kNoFamily{};

}  // namespace

std::span<const ChipFamily> ChipFamilies() { return Families(); }

const ChipFamily& FamilyOf(ChipType type) {
    for (const ChipFamily& family : Families())
        if (family.type == type) return family;
    return kNoFamily;
}

const ChipFamily& FamilyOfCode(uint16_t code) {
    return code > 0xFF ? kNoFamily : FamilyOf(static_cast<ChipType>(code));
}

const ChipFamily& FamilyNamed(std::string_view name) {
    for (const ChipFamily& family : Families())
        if (family.name == name) return family;
    return kNoFamily;
}

}  // namespace tq
