// A chip as the simulated programmer sees it in its socket.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct SimChip {
    std::string name;
    uint8_t typeCode = 1;     // a ChipType code, as on the wire
    uint32_t capacity = 0;    // bytes
    uint32_t chipId = 0;      // what command 0x31 reports (bytes 0..3)
    bool hasId = true;        // false: 0x31 answers with the error byte set
    uint32_t eraseTimeMs = 0; // how long a polled erase runs
};

}  // namespace tq
