#include "core/chipdb/chip_row.h"

#include "core/chipdb/operation_record.h"

namespace tq {

uint16_t ChipTypeCode(std::string_view typeText) {
    return CodeOf(FamilyNamed(typeText).type);
}

uint8_t VoltageCode(int64_t voltage) { return voltage == 5000 ? 2 : 0; }

void CopyChipParameters(const ChipRow& row, Prj_Info_Struct& prj) {
    prj.ChipTypeCode = ChipTypeCode(row.ChipType);
    prj.BlockSize = static_cast<uint16_t>(row.BlockSize);
    prj.Capacity = static_cast<uint32_t>(row.Capacity);
    prj.EraseTime = static_cast<uint32_t>(row.EraseTime);
    prj.PageSize = static_cast<uint16_t>(row.PageSize);
    prj.OTPSize = static_cast<uint16_t>(row.OTPSize);
    prj.VoltageCode = VoltageCode(row.Voltage);
    prj.ChipPara = static_cast<uint8_t>(row.ChipPara);
    prj.ChipPara1 = static_cast<uint8_t>(row.ChipPara1);
}

std::string FormatSize(uint64_t bytes) {
    if (bytes >= 1048576) return std::to_string(bytes / 1048576) + "MB";
    if (bytes >= 1024) return std::to_string(bytes / 1024) + "KB";
    return std::to_string(bytes) + "B";
}

namespace {

// `value` / `unit` with at most one decimal, dropped when it is 0: "8", "1.5".
// Cut, never rounded up: a size is never shown larger than it is.
std::string Scaled(uint64_t value, uint64_t unit) {
    const uint64_t tenths = value * 10 / unit;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
    return text;
}

// The largest of the units that `value` reaches, with its name.
std::string InUnits(uint64_t value, const char* const (&names)[3], uint64_t step) {
    if (value >= step * step) return Scaled(value, step * step) + " " + names[2];
    if (value >= step) return Scaled(value, step) + " " + names[1];
    return std::to_string(value) + " " + names[0];
}

}  // namespace

std::string CapacityText(uint64_t bytes) {
    static const char* const byteUnits[3] = {"B", "KiB", "MiB"};
    static const char* const bitUnits[3] = {"bit", "Kbit", "Mbit"};
    return InUnits(bytes, byteUnits, 1024) + " (" + InUnits(bytes * 8, bitUnits, 1024) + ")";
}

bool IsWellFormedChipId(std::string_view id) {
    if (id.size() != 6) return false;
    for (char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

}  // namespace tq
