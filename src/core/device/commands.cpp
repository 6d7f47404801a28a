#include "core/device/commands.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/device/frame.h"

namespace tq {

namespace {
// Seals and exchanges the frame; true when an answer arrived.
bool Exchange(DeviceLink& link) {
    link.DeviceExchange(FinishFrame(link));
    return CheckResponse(link) == 0;
}

CommandResult ExchangeAnswered(DeviceLink& link) {
    return Exchange(link) ? CommandResult::Ok : CommandResult::NoAnswer;
}

CommandResult TextQuery(DeviceLink& link, CommandCode code, std::string& text, uint16_t maximum) {
    StartFrame(link, code, 0);
    if (!Exchange(link)) return CommandResult::NoAnswer;
    CopyResponseText(link, text, maximum);
    return CommandResult::Ok;
}

void SendStreamHeader(DeviceLink& link, CommandCode code, uint8_t channel, ChipType chipType, uint32_t start,
                      uint32_t length, uint16_t blockSize) {
    uint8_t* p = StartFrame(link, code, 12);
    p[0] = channel;
    p[1] = CodeOf(chipType);
    PutBe32(p + 2, start);
    PutBe32(p + 6, length);
    PutBe16(p + 10, blockSize);
    link.SendFrameOnly(FinishFrame(link));
}
}  // namespace

CommandResult GetFwVersion(DeviceLink& link, std::string& text) { return TextQuery(link, CMD_GET_FW_VERSION, text, 16); }
CommandResult GetHwVersion(DeviceLink& link, std::string& text) { return TextQuery(link, CMD_GET_HW_VERSION, text, 64); }
CommandResult GetSerial(DeviceLink& link, std::string& text) { return TextQuery(link, CMD_GET_SERIAL, text, 24); }
CommandResult GetModel(DeviceLink& link, std::string& text) { return TextQuery(link, CMD_GET_MODEL, text, 24); }

CommandResult SetLanguage(DeviceLink& link, uint8_t index) {
    StartFrame(link, CMD_SET_LANGUAGE, 1)[0] = index;
    return ExchangeAnswered(link);
}

CommandResult SetIndicator(DeviceLink& link, IndicatorCode code) {
    PutBe16(StartFrame(link, CMD_SET_INDICATOR, 2), static_cast<uint16_t>(code));
    return ExchangeAnswered(link);
}

CommandResult ReadChipId(DeviceLink& link, uint32_t& id, uint8_t& errorByte, uint8_t& extraByte) {
    StartFrame(link, CMD_READ_CHIP_ID, 0);
    if (!Exchange(link)) return CommandResult::NoAnswer;
    if (ResponseLength(link) != 6) return CommandResult::WrongLength;
    const uint8_t* r = link.ReceiveArea() + 6;
    id = static_cast<uint32_t>(r[0]) << 24 | static_cast<uint32_t>(r[1]) << 16 | static_cast<uint32_t>(r[2]) << 8 | r[3];
    errorByte = r[4];
    extraByte = r[5];
    return CommandResult::Ok;
}

CommandResult SendErase(DeviceLink& link, uint8_t channel, ChipType chipType, uint8_t mode) {
    uint8_t* p = StartFrame(link, CMD_ERASE, 3);
    p[0] = channel;
    p[1] = CodeOf(chipType);
    p[2] = mode;
    if (!Exchange(link)) return CommandResult::EraseNoAnswer;
    if (ResponseLength(link) != 1) return CommandResult::WrongLength;
    return link.ReceiveArea()[6] == 0x55 ? CommandResult::Ok : CommandResult::EraseBusy;
}

CommandResult BlankCheck(DeviceLink& link, uint8_t channel, ChipType chipType, uint32_t start, uint32_t length) {
    uint8_t* p = StartFrame(link, CMD_BLANK_CHECK, 10);
    p[0] = channel;
    p[1] = CodeOf(chipType);
    PutBe32(p + 2, start);
    PutBe32(p + 6, length);
    if (!Exchange(link)) return CommandResult::NotBlank;
    return link.ReceiveArea()[1] == 0 ? CommandResult::Ok : CommandResult::NotBlank;
}

CommandResult ChipPresence(DeviceLink& link, ChipType chipType, uint8_t& socket1, uint8_t& socket2) {
    StartFrame(link, CMD_CHIP_PRESENCE, 1)[0] = CodeOf(chipType);
    if (!Exchange(link)) return CommandResult::SocketNoAnswer;
    if (ResponseLength(link) != 2) return CommandResult::SocketWrongLength;
    socket1 = link.ReceiveArea()[6];
    socket2 = link.ReceiveArea()[7];
    return CommandResult::Ok;
}

void SelectChip(DeviceLink& link, const ChipSelection& chip) {
    uint8_t* p = StartFrame(link, CMD_SELECT_CHIP, 10);
    p[0] = chip.chipType;
    p[1] = chip.voltageCode;
    p[2] = chip.chipPara;
    p[3] = chip.chipPara1;
    PutBe16(p + 4, chip.pageSize);
    PutBe32(p + 6, chip.capacity);
    Exchange(link);
}

void SendReadHeader(DeviceLink& link, uint8_t channel, ChipType chipType, uint32_t start, uint32_t length, uint16_t blockSize) {
    SendStreamHeader(link, CMD_READ, channel, chipType, start, length, blockSize);
}

void SendWriteHeader(DeviceLink& link, uint8_t channel, ChipType chipType, uint32_t start, uint32_t length, uint16_t blockSize) {
    SendStreamHeader(link, CMD_WRITE, channel, chipType, start, length, blockSize);
}

bool BlockHasNotDeliveredMarker(const uint8_t* block, uint32_t length) {
    for (uint32_t at = 0; at + sizeof kNotDeliveredMarker <= length; at += kSectorSize)
        if (std::memcmp(block + at, kNotDeliveredMarker, sizeof kNotDeliveredMarker) == 0) return true;
    return false;
}

uint32_t SendWriteBlock(DeviceLink& link, const uint8_t* data, uint32_t length, uint16_t blockSize) {
    if (length >= blockSize) return link.DeviceWrite(data, blockSize);
    // The final, shorter block goes out padded with 0xFF to the block size.
    if (blockSize <= kAreaSize) {
        uint8_t* s = link.SendArea();
        std::memcpy(s, data, length);
        std::memset(s + length, 0xFF, blockSize - length);
        return link.DeviceWrite(s, blockSize);
    }
    std::vector<uint8_t> padded(blockSize, 0xFF);
    std::memcpy(padded.data(), data, length);
    return link.DeviceWrite(padded.data(), blockSize);
}

void SendAbortBlock(DeviceLink& link) {
    std::memcpy(link.SendArea(), kAbortBlock, sizeof kAbortBlock);
    link.DeviceWrite(link.SendArea(), 10);
}

CommandResult EnterBoot(DeviceLink& link) {
    StartFrame(link, CMD_ENTER_BOOT, 0);
    return Exchange(link) ? CommandResult::Ok : CommandResult::BootNoAnswer;
}

}  // namespace tq
