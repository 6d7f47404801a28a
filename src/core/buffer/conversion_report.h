// What a conversion of a data file into a binary image reports back.
#pragma once

#include <string>
#include <vector>

namespace tq {

struct ConversionReport {
    bool ok = true;                     // false: the source or destination could not be opened/read/written
    std::string error;                  // what failed, naming the file
    std::vector<std::string> warnings;  // records skipped and why (deterministic)
};

}  // namespace tq
