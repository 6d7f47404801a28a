#include <unistd.h>

#include "core/production/station_name.h"

namespace tq {

std::string StationName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "unknown";
    return name;
}

}  // namespace tq
