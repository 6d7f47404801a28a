#include "core/device/presence.h"

#include <string>

#include "core/device/commands.h"
#include "core/device/device_context.h"

namespace tq {

bool IdentifyProgrammer(DeviceContext& device) {
    DeviceLink& link = device.Link;
    Dev_Inf_Struct& dev = device.DevInf;
    link.Uart.Connected = 1;
    std::string text;
    if (GetFwVersion(link, text) != CommandResult::Ok) {
        link.DeviceReset();
        return false;
    }
    if (!text.empty() && static_cast<unsigned char>(text[0]) == 0xFF) {
        // A programmer still starting up answers 0xFF...: ask once more.
        if (GetFwVersion(link, text) != CommandResult::Ok) {
            link.DeviceReset();
            return false;
        }
        if (!text.empty() && static_cast<unsigned char>(text[0]) == 0xFF) text.clear();
    }
    dev.FwVersion = text;
    // One shared text buffer: an unanswered query leaves the previous text in it.
    GetHwVersion(link, text);
    dev.HwVersion = text;
    GetSerial(link, text);
    dev.SerialNo = text;
    GetModel(link, text);
    dev.Model = text;
    dev.DefaultModel = dev.Model;
    link.ReceivedCount = 0;
    return true;
}

ConnectResult ConnectProgrammer(DeviceContext& device) {
    if (!device.Link.FindDeviceDrive()) return ConnectResult::NotFound;
    return IdentifyProgrammer(device) ? ConnectResult::Connected : ConnectResult::NoAnswer;
}

}  // namespace tq
