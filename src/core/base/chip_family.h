// Everything that differs by chip family, in one table: the type text the
// chip database stores, how the operations pace and cut their transfers,
// whether detection applies, the project file's code, and how the simulated
// programmer models such a chip. Here, at the bottom, because the engine and
// the simulator both read it. A new family is a code in chip_type.h and a row
// in chip_family.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/base/chip_type.h"

namespace tq {

// A read or verify block: `pages` pages of the chip when it has a page size
// (cut to the whole pages that fit the receive area), else `bytes`; 0 bytes
// means the whole receive area.
struct TransferBlock {
    uint32_t pages = 0;
    uint32_t bytes = 0;
};

// How a write stream cuts the image into blocks.
enum class WriteBlocks : uint8_t {
    UpTo2048,  // the chip size, at most 2048
    OnePage,   // one page (the general rule for a chip without a page size)
    Fixed1024,
};

// How long the simulated chip takes to store what it was sent.
enum class SimWriteTime : uint8_t {
    None,     // stores at once
    PerPage,  // one 5 ms cycle per page touched (a byte per cycle without a page size)
    PerByte,  // about 1 ms a byte
};

struct ChipFamily {
    ChipType type = ChipType::None;
    std::string_view name{};  // as the chip database stores it

    TransferBlock readBlock{};
    TransferBlock verifyBlock{};
    uint32_t readPause10us = 0;  // after every read block

    WriteBlocks writeBlocks = WriteBlocks::UpTo2048;
    bool pacedWrite = false;            // 0.2 s after every block, 0.5 s after the last
    bool polledErase = false;           // the programmer erases by itself; otherwise 0xFF is written over the chip
    uint32_t erasePollExtra10us = 0;    // added to every erase poll's pause
    uint32_t fillErasePause10us = 0;    // after every block of a fill erase

    bool detects = false;               // the frame's detect button applies
    bool reselectsAfterFailedDetect = false;  // no ID: its parameters go to the programmer again
    uint8_t familyIdByte = 0;           // the ID's top byte when the chip names only its family

    uint16_t projectCode = 0;           // the type code an offline project stores
    std::string_view projectAlias{};    // a further type text the stand-alone mode knows for it
    bool onM500 = true;                 // the M500 platform offers the family

    bool simProgramsLikeFlash = false;  // programming only clears bits
    SimWriteTime simWriteTime = SimWriteTime::None;
};

// The families the programmer knows, in the order of their codes.
std::span<const ChipFamily> ChipFamilies();

// The row of a code; an unknown code gets the rules of no family.
const ChipFamily& FamilyOf(ChipType type);
const ChipFamily& FamilyOfCode(uint16_t code);
// The row whose type text is `name` (exact); the no-family row otherwise.
const ChipFamily& FamilyNamed(std::string_view name);

// The on-board storage is driven as SPI flash by the project download.
inline constexpr ChipType kStorageChipType = ChipType::SpiFlash;

}  // namespace tq
