#include "core/platform/local_time.h"

namespace tq {

std::tm LocalCalendarTime(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    return local;
}

}  // namespace tq
