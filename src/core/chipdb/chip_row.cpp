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

bool IsWellFormedChipId(std::string_view id) {
    if (id.size() != 6) return false;
    for (char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

}  // namespace tq
