// The device context: the link to the programmer and what it said about itself.
#pragma once

#include <cstdint>
#include <optional>

#include "core/base/chip_type.h"
#include "core/device/identity_record.h"
#include "core/device/link.h"

namespace tq {

// A polled erase the host stopped waiting for: the programmer goes on
// erasing by itself until it answers "finished" to the poll, at the latest
// `limitMs` after `startTick`. Nothing may be sent to the chip before then.
struct RunningErase {
    uint8_t channel = 0;
    ChipType type = ChipType::None;
    uint32_t startTick = 0;
    uint32_t limitMs = 0;
};

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
    // Set while an erase the host no longer waits for may still be running.
    std::optional<RunningErase> EraseRunning;

    Clock& clock() { return Link.clock(); }
};

}  // namespace tq
