// The device context: the link to the programmer and what it said about itself.
#pragma once

#include "core/device/identity_record.h"
#include "core/device/link.h"

namespace tq {

class DeviceContext {
public:
    DeviceContext(Volumes& volumes, Clock& clock) : Link(volumes, clock) {}
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    DeviceLink Link;  // Uart_Struct, FrameBuffer, ReceivedCount
    Dev_Inf_Struct DevInf;
    // The presence poll timer (TimerScan); the firmware update turns it off
    // for its duration.
    bool PollEnabled = true;

    Clock& clock() { return Link.clock(); }
};

}  // namespace tq
