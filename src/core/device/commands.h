// One wrapper per framed command of the programmer, each returning the small
// result code the protocol defines (Ok = 0). No wrapper throws.
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

// The protocol's result numbers. Their meaning depends on the command, so
// some numbers carry two names.
enum class CommandResult : uint8_t {
    Ok = 0,
    NoAnswer = 1,           // identity texts, language, indicator, chip ID
    EraseBusy = 1,          // erase poll: still erasing
    WrongLength = 3,        // chip ID, erase: the answer's data length is wrong
    NotBlank = 5,           // blank check: not blank, or no answer
    SocketNoAnswer = 5,     // chip presence
    SocketWrongLength = 6,  // chip presence
    EraseNoAnswer = 0xFF,
    BootNoAnswer = 0xFF,
};

// The codes command 0x20 sends: how the running operation stands.
enum class IndicatorCode : uint16_t {
    Passed = 0,
    Working = 1,
    Failed = 3,
    AutoRunStart = 50,
    Finished = 100,
    FinishedWithError = 200,  // a verify or automatic run that failed
};

// Identity texts: Ok and the text, or NoAnswer (the text is left unchanged).
CommandResult GetFwVersion(DeviceLink& link, std::string& text);  // at most 16 bytes
CommandResult GetHwVersion(DeviceLink& link, std::string& text);  // at most 64 bytes
CommandResult GetSerial(DeviceLink& link, std::string& text);     // at most 24 bytes
CommandResult GetModel(DeviceLink& link, std::string& text);      // at most 24 bytes

CommandResult SetLanguage(DeviceLink& link, uint8_t index);        // Ok or NoAnswer
CommandResult SetIndicator(DeviceLink& link, IndicatorCode code);  // Ok or NoAnswer

// Ok: ID and the two extra bytes delivered; WrongLength; NoAnswer.
CommandResult ReadChipId(DeviceLink& link, uint32_t& id, uint8_t& errorByte, uint8_t& extraByte);
// mode 0 starts erasing, 1 asks for progress. Ok: finished (0x55);
// EraseBusy; WrongLength; EraseNoAnswer.
CommandResult SendErase(DeviceLink& link, uint8_t channel, ChipType chipType, uint8_t mode);
// Ok: range blank; NotBlank: not blank or no answer.
CommandResult BlankCheck(DeviceLink& link, uint8_t channel, ChipType chipType, uint32_t start, uint32_t length);
// Ok: both socket bytes delivered; SocketWrongLength; SocketNoAnswer (states unchanged).
CommandResult ChipPresence(DeviceLink& link, ChipType chipType, uint8_t& socket1, uint8_t& socket2);

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

// Ok or BootNoAnswer.
CommandResult EnterBoot(DeviceLink& link);

}  // namespace tq
