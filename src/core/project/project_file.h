// The project file temp/temp.gprj: the lines "key=value" (GBK, CR LF) that
// tell the programmer how to program chips on its own. WriteProjectFile
// fills PrjInfoOffline from the project dialog, the chosen chip's database
// row and the data file facts, and writes the file whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/chipdb/operation_record.h"
#include "core/chipdb/chip_row.h"

namespace tq {

struct OperationContext;

// The project dialog's controls the file takes its values from.
struct ProjectForm {
    std::string editPrjName;
    std::string chipName;      // the chip frame's selected name; empty = no item selected
    int cmbDownMethod = 1;     // 0 "手动", 1 "自动", 2 "机台烧录"; -1 = none selected
    bool chkPrjIdCheck = false;
    bool chkPrjErase = true;
    bool chkPrjWrite = true;
    bool chkPrjVerify = true;
    bool chkAutoSN = false;
    int cmbSNBytes = -1;       // 0 "1Byte", 1 "2Byte", 2 "4Byte"; -1 = none selected (shows "4Byte")
    int cmbSNEndian = 0;       // 0 "大端", 1 "小端"
    std::string lbeSnAddr = "00000000";
    std::string lbeSnValue = "00000000";
    bool chkProTimes = false;
    std::string editProTimes = "0";
};

// Chip type code of a project: the operation codes, except that "SWD Flash"
// gives 7 and "SWD ARM" gives 0.
uint16_t ProjectChipTypeCode(const std::string& chipType);
// 1 for 1800 mV, 2 for 5000 mV, 0 otherwise.
uint8_t ProjectVoltageCode(int64_t voltage);

// The project file's text (UTF-8, lines ending in CR LF) for a chip row, with
// the record filled on the way. Empty with an error text naming the offending
// value when a number does not convert.
struct ComposedProject {
    std::string text;
    Prj_Info_Struct record;
    std::string error;
};
ComposedProject ComposeProjectFile(const OperationContext& context, const ProjectForm& form, const ChipRow& row,
                                   uint32_t prjId);

// The programmer takes a project file of at most this many bytes.
inline constexpr size_t kProjectFileLimit = 512;

// temp/temp.gprj in the program folder.
std::filesystem::path ProjectFilePath(const OperationContext& context);

// Writes the project file (creating its folder) and fills PrjInfoOffline.
// False after the reason has been shown (no chip selected, no database, chip
// not in the database, a value that is not a number, a file longer than 512
// bytes, the file could not be written); the file is then untouched. A failing statement throws
// DatabaseError.
bool WriteProjectFile(OperationContext& context, const ProjectForm& form, const std::filesystem::path& path);

}  // namespace tq
