// What the program knows about the programmer and a few run-time values kept
// beside it (auto-run counters, language, database version, data folder).
#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct Dev_Inf_Struct {
    int32_t SuccessCount = 0;
    int32_t FailCount = 0;
    int32_t Language = 0;  // 0 Simplified Chinese, 1 Traditional Chinese, else English
    std::string DbVersion;
    std::string FilePath;
    std::string FwVersion;
    std::string HwVersion;
    std::string Model;
    std::string SerialNo;
    std::string DefaultModel;
};

}  // namespace tq
