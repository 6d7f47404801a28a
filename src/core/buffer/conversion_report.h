// What a conversion of a data file into a binary image reports back.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

struct ConversionReport {
    bool ok = true;                     // false: the source or destination could not be opened/read/written
    std::string error;                  // what failed, naming the file
    std::vector<std::string> warnings;  // records skipped and why (deterministic)
    uint64_t imageAddress = 0;          // the address the file gives image offset 0
    uint64_t imageSize = 0;             // the image's whole length, also when fewer bytes were kept
    // The reader left the image empty and a warning says why (no end-of-file
    // record, a line that is no record, a CAP file without data). A flag, not
    // the warning's wording, since that is in the person's language.
    bool leftEmpty = false;
};

// True when the converter left the destination empty for a reason it reported.
inline bool ImageLeftEmpty(const ConversionReport& report) { return report.leftEmpty; }

}  // namespace tq
