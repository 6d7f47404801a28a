// The project file temp/temp.gprj: the lines "key=value" (GBK, CR LF) that
// tell the programmer how to program chips on its own. WriteProjectFile
// fills PrjInfoOffline from the project plan, the chosen chip's database
// row and the data file facts, and writes the file whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/chipdb/operation_record.h"
#include "core/chipdb/chip_row.h"

namespace tq {

struct OperationContext;
class MessageView;

// How the programmer starts each chip of a project on its own.
enum class DownloadMethod : uint8_t { Manual = 0, Automatic = 1, Machine = 2 };

// A project download: the data file the programmer writes to each chip, the
// chip, how and with which steps, the serial numbers it writes and how many
// chips it programs at most. Numbers stay as typed so that a refusal can
// name the offending text.
struct ProjectPlan {
    std::string dataFile;
    std::string name;
    std::string chipName;  // empty: no chip chosen
    DownloadMethod method = DownloadMethod::Automatic;
    bool idCheck = false;
    bool erase = true;
    bool write = true;
    bool verify = true;
    bool serialNumbers = false;
    int serialBytes = 4;  // 1, 2 or 4; anything else counts as 4
    bool serialLittleEndian = false;
    std::string serialAddress = "00000000";  // hexadecimal
    std::string serialValue = "00000000";    // hexadecimal, the first chip's
    bool countLimited = false;
    std::string countLimit = "0";  // decimal; the programmer keeps 16 bits of it
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
ComposedProject ComposeProjectFile(const OperationContext& context, const ProjectPlan& plan, const ChipRow& row,
                                   uint32_t prjId);

// The programmer takes a project file of at most this many bytes.
inline constexpr size_t kProjectFileLimit = 512;

// temp/temp.gprj in the program folder.
std::filesystem::path ProjectFilePath(const OperationContext& context);

// Writes the project file (creating its folder) and fills PrjInfoOffline.
// False after the reason has been shown on `messages` (no chip selected, no
// database, chip not in the database, a value that is not a number, a file
// longer than 512 bytes, the file could not be written); the file is then
// untouched. A failing statement throws DatabaseError.
bool WriteProjectFile(OperationContext& context, MessageView& messages, const ProjectPlan& plan,
                      const std::filesystem::path& path);

}  // namespace tq
