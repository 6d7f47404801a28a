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

void PutBe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

void PutBe32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

uint8_t* PutFrameHeader(uint8_t* frame, uint8_t code, uint16_t payloadLength) {
    frame[0] = 0x02;
    frame[1] = code;
    frame[2] = 0x00;
    frame[3] = 0x01;
    PutBe16(frame + 4, payloadLength);
    return frame + kFrameHeaderSize;
}

uint16_t SealFrame(uint8_t* frame, uint16_t payloadLength) {
    const uint16_t crc = Crc16Modbus(frame + 1, static_cast<uint16_t>(payloadLength + kFrameHeaderSize - 1));
    PutBe16(frame + kFrameHeaderSize + payloadLength, crc);
    return static_cast<uint16_t>(payloadLength + kFrameOverhead);
}

uint8_t* StartFrame(DeviceLink& link, CommandCode code, uint16_t payloadLength) {
    return PutFrameHeader(link.SendArea(), code, payloadLength);
}

uint16_t FinishFrame(DeviceLink& link) {
    uint8_t* s = link.SendArea();
    // The send area holds 4096 bytes: a payload longer than 4088 cannot be sealed in it.
    const uint16_t n = std::min<uint16_t>(static_cast<uint16_t>(s[4] << 8 | s[5]), kAreaSize - kFrameOverhead);
    return SealFrame(s, n);
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
