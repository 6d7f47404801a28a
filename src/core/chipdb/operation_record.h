// The operation record: one chip's parameters copied from its database row,
// the options the settings remember and the state of a running operation.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/base/chip_family.h"

namespace tq {

struct Prj_Info_Struct {
    std::string PrjSpare;
    std::string DataFileName;
    std::string ManufName;
    std::string ChipName;
    uint16_t ChipTypeCode = 0;
    uint32_t ChipID = 0;
    uint32_t Capacity = 0;
    uint32_t EraseTime = 0;
    uint16_t BlockSize = 0;
    uint16_t PageSize = 0;
    uint16_t OTPSize = 0;
    uint8_t VoltageCode = 0;
    uint8_t ChipPara = 0;
    uint8_t ChipPara1 = 0;
    uint8_t OprMode = 0;
    uint8_t IdCheck = 0;
    uint8_t Erase = 0;
    uint8_t Write = 0;
    uint8_t Verify = 0;
    uint8_t SnEn = 0;
    uint8_t SnLen = 0;
    uint8_t SnEndian = 0;
    uint32_t SnAddr = 0;
    uint32_t SnValue = 0;
    uint32_t FileLen = 0;
    uint8_t TimesEn = 0;
    uint16_t TimesMax = 0;
    uint32_t Crc32 = 0;
    uint32_t RamStartAddr = 0;
    uint8_t ChannelSelector = 0;
    std::array<uint8_t, 2> SocketStatus{0, 0};
};

inline ChipType ChipTypeOf(const Prj_Info_Struct& prj) { return static_cast<ChipType>(prj.ChipTypeCode); }
// The rules of the selected chip's family.
inline const ChipFamily& FamilyOf(const Prj_Info_Struct& prj) { return FamilyOfCode(prj.ChipTypeCode); }

}  // namespace tq
