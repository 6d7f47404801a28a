// The command codes of the programmer's frames, shared by the host's command
// wrappers and the simulated programmer that answers them.
#pragma once

#include <cstdint>

namespace tq {

enum CommandCode : uint8_t {
    CMD_GET_FW_VERSION = 0x10,
    CMD_GET_HW_VERSION = 0x11,
    CMD_GET_SERIAL = 0x12,
    CMD_GET_MODEL = 0x13,
    CMD_SET_LANGUAGE = 0x14,
    CMD_SET_INDICATOR = 0x20,
    CMD_READ_CHIP_ID = 0x31,
    CMD_ERASE = 0x32,
    CMD_READ = 0x34,
    CMD_WRITE = 0x35,
    CMD_BLANK_CHECK = 0x37,
    CMD_CHIP_PRESENCE = 0x38,
    CMD_SELECT_CHIP = 0x39,
    CMD_PROJECT_FILE = 0x44,
    CMD_ENTER_BOOT = 0xF0,
    CMD_IAP_DATA = 0xF1,
    CMD_IAP_DONE = 0xF2,
    CMD_IAP_VERIFY = 0xF3,
};

}  // namespace tq
