// What the program knows about the programmer and a few run-time values kept
// beside it (auto-run counters, database version, data folder).
#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct Dev_Inf_Struct {
    int32_t SuccessCount = 0;
    int32_t FailCount = 0;
    std::string DbVersion;
    std::string FilePath;
    std::string FwVersion;
    std::string HwVersion;
    std::string Model;
    std::string SerialNo;
    std::string DefaultModel;
};

}  // namespace tq
