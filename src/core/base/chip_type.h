// The chip-type codes as the chip database stores them and the wire carries
// them. Here, at the bottom, because the database, the device commands and
// the simulated programmer all need them.
#pragma once

#include <cstdint>

namespace tq {

enum class ChipType : uint8_t {
    None = 0,  // no chip selected, or a type text the program does not know
    SpiFlash = 1,
    Eeprom24 = 2,
    Eeprom25 = 3,
    Eeprom45 = 4,
    Eeprom93 = 5,
    Eeprom95 = 6,
    SwdArm = 7,
};

// The code as stored in records and sent in frames.
constexpr uint8_t CodeOf(ChipType type) { return static_cast<uint8_t>(type); }

}  // namespace tq
