// One row of the chip table and what the program makes of it: the chip-type
// code, the voltage code, the chip parameters of the operation record, and
// the size text shown for capacities and page sizes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/chip_family.h"

namespace tq {

struct Prj_Info_Struct;

struct ChipRow {
    std::string ChipName;
    std::string ChipType;
    std::string ManufName;
    std::string Note;  // capacity text of the search grid
    int64_t Capacity = 0;
    int64_t PageSize = 0;
    int64_t BlockSize = 0;
    int64_t OTPSize = 0;
    std::string OTPAddr;
    int64_t Voltage = 0;  // millivolts
    std::string ChipID;   // 6 upper-case hex digits where detection uses it
    int64_t ChipPara = 0;
    int64_t ChipPara1 = 0;
    std::string ParaNote;
    std::string Para1Note;
    int64_t EraseTime = 0;
    std::string MemoryType;
    std::string Adder;  // "Varden" factory rows, "USER" the user's own

    bool operator==(const ChipRow&) const = default;
};

// The columns of the chip table, in table order.
inline constexpr std::array<std::string_view, 18> kChipColumns = {
    "ChipName", "ChipType", "ManufName", "Note",     "Capacity",  "PageSize",  "BlockSize",  "OTPSize",    "OTPAddr",
    "Voltage",  "ChipID",   "ChipPara",  "ChipPara1", "ParaNote", "Para1Note", "EraseTime", "MemoryType", "Adder"};

// Each column with the member of ChipRow that holds it: text columns, then
// number columns.
struct ChipTextColumn {
    std::string_view name;
    std::string ChipRow::*member;
};
struct ChipNumberColumn {
    std::string_view name;
    int64_t ChipRow::*member;
};
inline constexpr ChipTextColumn kChipTextColumns[] = {
    {"ChipName", &ChipRow::ChipName}, {"ChipType", &ChipRow::ChipType},   {"ManufName", &ChipRow::ManufName},
    {"Note", &ChipRow::Note},         {"OTPAddr", &ChipRow::OTPAddr},     {"ChipID", &ChipRow::ChipID},
    {"ParaNote", &ChipRow::ParaNote}, {"Para1Note", &ChipRow::Para1Note}, {"MemoryType", &ChipRow::MemoryType},
    {"Adder", &ChipRow::Adder}};
inline constexpr ChipNumberColumn kChipNumberColumns[] = {
    {"Capacity", &ChipRow::Capacity},   {"PageSize", &ChipRow::PageSize}, {"BlockSize", &ChipRow::BlockSize},
    {"OTPSize", &ChipRow::OTPSize},     {"Voltage", &ChipRow::Voltage},   {"ChipPara", &ChipRow::ChipPara},
    {"ChipPara1", &ChipRow::ChipPara1}, {"EraseTime", &ChipRow::EraseTime}};

inline constexpr const char* kFactoryAdder = "Varden";
inline constexpr const char* kUserAdder = "USER";

// The code of a family's type text (see chip_family.h); 0 for any other text.
uint16_t ChipTypeCode(std::string_view typeText);

// 2 for 5000 mV, 0 for every other voltage (3.3 V and 1.8 V alike).
uint8_t VoltageCode(int64_t voltage);

// Copies a row's chip parameters into the operation record: type code,
// block size, capacity, erase time, page size, OTP size (each cut to its
// field), voltage code, and the low bytes of ChipPara and ChipPara1.
// ChipName is left to the caller, which compares it first.
void CopyChipParameters(const ChipRow& row, Prj_Info_Struct& prj);

// 8388608 -> "8MB", 2048 -> "2KB", 1536 -> "1KB", 256 -> "256B".
std::string FormatSize(uint64_t bytes);

// A chip's capacity as every window shows it: bytes in binary units and bits,
// 8388608 -> "8 MiB (64 Mbit)", 256 -> "256 B (2 Kbit)", 1536 -> "1.5 KiB (12 Kbit)".
std::string CapacityText(uint64_t bytes);

// An ID in the form detection looks up: 6 upper-case hexadecimal digits.
bool IsWellFormedChipId(std::string_view id);

}  // namespace tq
