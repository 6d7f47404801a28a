// Command frames: 02, code, 00 01, payload length (16 bit), payload, then a
// CRC-16/MODBUS over everything after the start byte, stored high byte first.
// Answers have the same shape, a status in place of the code; the host does
// not check their CRC.
#pragma once

#include <cstdint>
#include <string>

#include "core/device/command_code.h"
#include "core/device/link.h"

namespace tq {

// Header and CRC around the payload.
inline constexpr uint16_t kFrameHeaderSize = 6;
inline constexpr uint16_t kFrameOverhead = 8;

uint16_t Crc16Modbus(const uint8_t* bytes, uint16_t count);

// Puts a big-endian value at `at`.
void PutBe16(uint8_t* at, uint16_t value);
void PutBe32(uint8_t* at, uint32_t value);

// The one frame builder, for requests and answers alike. PutFrameHeader
// writes the header at `frame` (code: a command, or an answer's status) and
// returns where the payload goes; SealFrame appends the CRC after the
// payload and returns the frame's total length.
uint8_t* PutFrameHeader(uint8_t* frame, uint8_t code, uint16_t payloadLength);
uint16_t SealFrame(uint8_t* frame, uint16_t payloadLength);

// A request in the link's send area: StartFrame returns where its payload
// goes, FinishFrame seals it and returns its total length.
uint8_t* StartFrame(DeviceLink& link, CommandCode code, uint16_t payloadLength);
uint16_t FinishFrame(DeviceLink& link);
// 0 when an answer was read, 1 when not.
int CheckResponse(const DeviceLink& link);
// Data length L of the answer in the receive area.
uint16_t ResponseLength(DeviceLink& link);
// Copies min(L, maximum) answer bytes as text.
void CopyResponseText(DeviceLink& link, std::string& destination, uint16_t maximum);

}  // namespace tq
