// What a chip operation works on: the link, the selected chip, the buffer,
// the texts and views it shows, and the busy state it claims.
#pragma once

#include "core/buffer/buffer_context.h"
#include "core/chipdb/chip_context.h"
#include "core/device/device_context.h"
#include "core/operations/chip_backup.h"

namespace tq {

struct OperationContext {
    DeviceContext& Device;
    ChipContext& Chip;
    BufferContext& Buffer;
    TextContext& Texts;
    ViewSet& Views;
    BusyState& Busy;
    // Backup and blank check before a chip's contents are lost.
    OverwriteGuard Guard{};

    Clock& clock() { return Device.clock(); }
};

}  // namespace tq
