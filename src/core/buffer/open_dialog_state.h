// What the main window's open dialog remembers between uses.
#pragma once

#include <string>
#include <vector>

#include "core/base/views.h"

namespace tq {

struct OpenDialogState {
    std::string Title;
    std::vector<FileFilter> Filters;
    std::string InitialFolder;
    std::string FileName;  // the last chosen or dropped file; the import loads it
};

// "Bin File|*.bin|Cap File|*.cap|Hex File|*.hex|Rom File|*.rom|ALL|*.*", with
// the S-record files the open command reads as well.
inline std::vector<FileFilter> OpenFileFilters() {
    return {{"Bin File", "*.bin"},   {"Cap File", "*.cap"}, {"Hex File", "*.hex"},
            {"Rom File", "*.rom"}, {"S-Record File", "*.srec *.s19 *.s28 *.s37"}, {"ALL", "*.*"}};
}

// What the save command writes: binary by default, Intel HEX or S-record by
// the chosen filter or the typed extension.
inline std::vector<FileFilter> SaveFileFilters() {
    return {{"Bin File", "*.bin"}, {"Hex File", "*.hex"}, {"S-Record File", "*.srec *.s19 *.s28 *.s37"}, {"ALL", "*.*"}};
}

}  // namespace tq
