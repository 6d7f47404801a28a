#include "core/device/presence.h"

#include <string>

#include "core/device/commands.h"
#include "core/device/device_context.h"

namespace tq {

namespace {

// The firmware version; a programmer still starting up answers 0xFF...: ask
// once more, and keep no such text.
bool ReadFirmwareVersion(DeviceLink& link, std::string& text) {
    if (GetFwVersion(link, text) != CommandResult::Ok) return false;
    if (text.empty() || static_cast<unsigned char>(text[0]) != 0xFF) return true;
    if (GetFwVersion(link, text) != CommandResult::Ok) return false;
    if (!text.empty() && static_cast<unsigned char>(text[0]) == 0xFF) text.clear();
    return true;
}

}  // namespace

ConnectResult IdentifyProgrammer(DeviceContext& device) {
    DeviceLink& link = device.Link;
    if (!link.ClaimDevice()) {
        link.DeviceReset();
        return ConnectResult::InUse;
    }
    link.Uart.Connected = 1;
    // A write stream that a failed transfer broke off, in this process or an
    // earlier one, is still open in the programmer: it would take the
    // questions below as data for the chip. The abort block ends it; a
    // programmer outside a stream ignores it, as it is no frame.
    SendAbortBlock(link);
    // All four answers or none: a programmer that stops answering half-way
    // is not identified, and nothing of the identity changes.
    std::string firmware, hardware, serial, model;
    const bool answered = ReadFirmwareVersion(link, firmware) && GetHwVersion(link, hardware) == CommandResult::Ok &&
                          GetSerial(link, serial) == CommandResult::Ok && GetModel(link, model) == CommandResult::Ok;
    if (!answered) {
        link.DeviceReset();
        return ConnectResult::NoAnswer;
    }
    Dev_Inf_Struct& dev = device.DevInf;
    dev.FwVersion = firmware;
    dev.HwVersion = hardware;
    dev.SerialNo = serial;
    dev.Model = model;
    dev.DefaultModel = model;
    link.ReceivedCount = 0;
    return ConnectResult::Connected;
}

ConnectResult ConnectProgrammer(DeviceContext& device) {
    if (!device.Link.FindDeviceDrive()) return ConnectResult::NotFound;
    return IdentifyProgrammer(device);
}

}  // namespace tq
