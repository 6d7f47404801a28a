#include <windows.h>

#include "core/production/station_name.h"

namespace tq {

std::string StationName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return "unknown";
    return std::string(name, size);
}

}  // namespace tq
