// What a chip operation works on: the link, the selected chip, the buffer,
// the texts and views it shows, and the busy state it claims.
#pragma once

#include "core/buffer/buffer_context.h"
#include "core/chipdb/chip_context.h"
#include "core/device/device_context.h"

namespace tq {

struct OperationContext {
    DeviceContext& Device;
    ChipContext& Chip;
    BufferContext& Buffer;
    TextContext& Texts;
    ViewSet& Views;
    BusyState& Busy;

    Clock& clock() { return Device.clock(); }
};

}  // namespace tq
