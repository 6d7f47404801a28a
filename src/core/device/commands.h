// One wrapper per framed command of the programmer, each returning the small
// result code the protocol defines (0 = success). No wrapper throws.
#pragma once

#include <cstdint>
#include <string>

#include "core/base/chip_type.h"
#include "core/device/frame.h"
#include "core/device/link.h"

namespace tq {

// Four bytes at the start of a read-stream sector that mark the block as not delivered.
inline constexpr uint8_t kNotDeliveredMarker[4] = {0x55, 0x53, 0x42, 0xFF};
// The first bytes of the block that stops a running write stream.
inline constexpr uint8_t kAbortBlock[5] = {0x55, 0x56, 0xAA, 0xAB, 0xFF};

// Identity texts: 0 and the text, or 1 (no answer; the text is left unchanged).
int GetFwVersion(DeviceLink& link, std::string& text);  // at most 16 bytes
int GetHwVersion(DeviceLink& link, std::string& text);  // at most 64 bytes
int GetSerial(DeviceLink& link, std::string& text);     // at most 24 bytes
int GetModel(DeviceLink& link, std::string& text);      // at most 24 bytes

int SetLanguage(DeviceLink& link, uint8_t index);  // 0 answered, 1 not
int SetIndicator(DeviceLink& link, uint16_t code); // 0 answered, 1 not

// 0: ID and the two extra bytes delivered; 3: wrong length; 1: no answer.
int ReadChipId(DeviceLink& link, uint32_t& id, uint8_t& errorByte, uint8_t& extraByte);
// mode 0 starts erasing, 1 asks for progress. 0: finished (0x55); 1: busy;
// 3: wrong length; 0xFF: no answer.
int SendErase(DeviceLink& link, uint8_t channel, ChipType chipType, uint8_t mode);
// 0: range blank; 5: not blank or no answer.
int BlankCheck(DeviceLink& link, uint8_t channel, ChipType chipType, uint32_t start, uint32_t length);
// 0: both socket bytes delivered; 6: wrong length; 5: no answer (states unchanged).
int ChipPresence(DeviceLink& link, ChipType chipType, uint8_t& socket1, uint8_t& socket2);

struct ChipSelection {
    uint8_t chipType = 0;
    uint8_t voltageCode = 0;
    uint8_t chipPara = 0;
    uint8_t chipPara1 = 0;
    uint16_t pageSize = 0;
    uint32_t capacity = 0;
};
void SelectChip(DeviceLink& link, const ChipSelection& chip);

// Stream headers: sent without waiting and without reading an answer.
void SendReadHeader(DeviceLink& link, uint8_t channel, ChipType chipType, uint32_t start, uint32_t length, uint16_t blockSize);
void SendWriteHeader(DeviceLink& link, uint8_t channel, ChipType chipType, uint32_t start, uint32_t length, uint16_t blockSize);

// True when a 512-byte sector of the block starts with the not-delivered marker.
bool BlockHasNotDeliveredMarker(const uint8_t* block, uint32_t length);
// Sends one write-stream block of blockSize bytes; a shorter final block is
// padded with 0xFF to blockSize in the send area. Returns DeviceWrite's count.
uint32_t SendWriteBlock(DeviceLink& link, const uint8_t* data, uint32_t length, uint16_t blockSize);
// Stops a running write stream (no answer is read).
void SendAbortBlock(DeviceLink& link);

// 0: answered; 0xFF: no answer.
int EnterBoot(DeviceLink& link);

}  // namespace tq
