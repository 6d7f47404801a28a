#include "core/buffer/buffer_texts.h"

#include <ctime>

namespace tq {

std::string LocalTimePrefix() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S ", &local);
    return text;
}

}  // namespace tq
