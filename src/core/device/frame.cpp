#include "core/device/frame.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tq {

uint16_t Crc16Modbus(const uint8_t* bytes, uint16_t count) {
    uint16_t crc = 0xFFFF;
    for (uint16_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

void FillHeader(DeviceLink& link, uint8_t code, uint8_t payloadLength, uint8_t first, uint8_t second) {
    uint8_t* s = link.SendArea();
    s[0] = 0x02;
    s[1] = code;
    s[2] = 0x00;
    s[3] = 0x01;
    s[4] = 0x00;
    s[5] = payloadLength;
    s[6] = first;
    s[7] = second;
}

uint16_t FinishFrame(DeviceLink& link) {
    uint8_t* s = link.SendArea();
    // The send area holds 4096 bytes: a payload longer than 4088 cannot be sealed in it.
    const uint16_t n = std::min<uint16_t>(static_cast<uint16_t>(s[4] << 8 | s[5]), kAreaSize - 8);
    const uint16_t crc = Crc16Modbus(s + 1, static_cast<uint16_t>(n + 5));
    s[n + 6] = static_cast<uint8_t>(crc >> 8);
    s[n + 7] = static_cast<uint8_t>(crc & 0xFF);
    return static_cast<uint16_t>(n + 8);
}

int CheckResponse(const DeviceLink& link) { return link.ReceivedCount == 0 ? 1 : 0; }

uint16_t ResponseLength(DeviceLink& link) {
    const uint8_t* r = link.ReceiveArea();
    return static_cast<uint16_t>(r[4] << 8 | r[5]);
}

void CopyResponseText(DeviceLink& link, std::string& destination, uint16_t maximum) {
    // The answer was read into 512 bytes: never copy past them.
    const uint16_t count = std::min<uint16_t>({ResponseLength(link), maximum, static_cast<uint16_t>(kSectorSize - 6)});
    const char* text = reinterpret_cast<const char*>(link.ReceiveArea() + 6);
    // The text ends at its first zero byte, as a C string would.
    destination.assign(text, strnlen(text, count));
}

}  // namespace tq
