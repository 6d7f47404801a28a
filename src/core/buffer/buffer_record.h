// The data buffer: the image written to or read from the selected chip.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tq {

struct Ram_File_Info_Struct {
    std::string FileName;
    uint8_t FileOpened = 0;
    uint8_t SpareFlag = 0;
    // The storage: exactly Capacity bytes of the selected chip, empty until a
    // chip is selected. Every bound on it uses Data.size(), the storage
    // actually allocated.
    std::vector<uint8_t> Data;
    uint32_t DataLen = 0;
    uint32_t ViewTop = 0;  // offset of the first row shown; a multiple of 16
    std::array<uint8_t, 256> FindPattern{};
    uint16_t FindLen = 0;
    int32_t FindPos = -1;
    uint32_t FileCheckSum = 0;

    // The first byte shown in the hex view (Data + ViewTop); null without
    // storage, and never past the storage's end.
    const uint8_t* ViewData() const {
        return Data.empty() ? nullptr : Data.data() + (ViewTop < Data.size() ? ViewTop : Data.size());
    }
};

}  // namespace tq
