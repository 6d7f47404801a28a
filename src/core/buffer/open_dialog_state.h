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

}  // namespace tq
