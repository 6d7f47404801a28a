// Command frames: 02, code, 00 01, payload length (16 bit), payload, then a
// CRC-16/MODBUS over everything after the start byte, stored high byte first.
// Answers have the same shape; their CRC is not checked.
#pragma once

#include <cstdint>
#include <string>

#include "core/device/link.h"

namespace tq {

uint16_t Crc16Modbus(const uint8_t* bytes, uint16_t count);

// Writes bytes 0..7 of the send area: 02, code, 00, 01, 00, length, first, second.
void FillHeader(DeviceLink& link, uint8_t code, uint8_t payloadLength, uint8_t first, uint8_t second);
// Seals the frame in the send area with its CRC; returns its total length.
uint16_t FinishFrame(DeviceLink& link);
// 0 when an answer was read, 1 when not.
int CheckResponse(const DeviceLink& link);
// Data length L of the answer in the receive area.
uint16_t ResponseLength(DeviceLink& link);
// Copies min(L, maximum) answer bytes as text.
void CopyResponseText(DeviceLink& link, std::string& destination, uint16_t maximum);

}  // namespace tq
