// The operation record and its four parts. A routine takes the part it
// reads: the chip's facts (copied from its database row), the options an
// operation runs with, the offline project's settings, or the socket's
// state. The whole record is what the main window and the project editor
// each keep; the project file writes its fields by name, so its layout does
// not depend on how the record is cut.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/base/chip_family.h"

namespace tq {

// What the chip database says of the selected chip.
struct ChipFacts {
    std::string ManufName;
    std::string ChipName;
    uint16_t ChipTypeCode = 0;
    uint32_t ChipID = 0;
    uint32_t Capacity = 0;
    uint32_t EraseTime = 0;
    uint16_t BlockSize = 0, PageSize = 0, OTPSize = 0;
    // What command 0x39 carries besides type, page size and capacity.
    uint8_t VoltageCode = 0, ChipPara = 0, ChipPara1 = 0;
};

// How an operation runs: the automatic sequence's steps (as the settings
// remember them) and the chip address where write and verify begin.
struct OperationOptions {
    uint8_t IdCheck = 0, Erase = 0, Write = 0, Verify = 0;
    uint32_t RamStartAddr = 0;
    // The verify step reads the chip a second time and fails when the reads
    // differ. Kept in the settings only: the project file has no field for it.
    uint8_t VerifyTwice = 0;
};

// What an offline project stores besides the chip and the steps: its data
// file, download method, serial numbers and programming limit.
struct ProjectSettings {
    std::string PrjSpare;
    std::string DataFileName;
    uint8_t OprMode = 0;
    // Serial numbers: on or off, 1, 2 or 4 bytes, byte order, where and from what.
    uint8_t SnEn = 0, SnLen = 0, SnEndian = 0;
    uint32_t SnAddr = 0, SnValue = 0;
    // The data file's length and CRC-32.
    uint32_t FileLen = 0, Crc32 = 0;
    // At most TimesMax chips when TimesEn is set.
    uint8_t TimesEn = 0;
    uint16_t TimesMax = 0;
};

// The socket an operation drives and what the programmer last said of it.
struct SocketState {
    uint8_t ChannelSelector = 0;
    std::array<uint8_t, 2> SocketStatus{0, 0};
};

struct Prj_Info_Struct : ChipFacts, OperationOptions, ProjectSettings, SocketState {};

inline ChipType ChipTypeOf(const ChipFacts& chip) { return static_cast<ChipType>(chip.ChipTypeCode); }
// The rules of the chip's family.
inline const ChipFamily& FamilyOf(const ChipFacts& chip) { return FamilyOfCode(chip.ChipTypeCode); }

}  // namespace tq
