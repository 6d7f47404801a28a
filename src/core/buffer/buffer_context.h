// The buffer context: the buffer record and what the open dialog remembers,
// with the chip the buffer belongs to (its capacity and start address), the
// texts and views that buffer commands show, and the buffer's busy state.
#pragma once

#include "core/base/busy_state.h"
#include "core/base/views.h"
#include "core/buffer/buffer_record.h"
#include "core/buffer/buffer_selection.h"
#include "core/buffer/open_dialog_state.h"
#include "core/chipdb/chip_context.h"
#include "core/platform/clock.h"
#include "core/texts/text_context.h"

namespace tq {

struct BufferContext {
    BufferContext(ChipContext& chip, TextContext& texts, ViewSet& views, Clock& clock, BusyState& busy)
        : Chip(chip), Texts(texts), Views(views), clock(clock), Busy(busy) {}
    BufferContext(const BufferContext&) = delete;
    BufferContext& operator=(const BufferContext&) = delete;

    Ram_File_Info_Struct RamFile;
    // The main window's open dialog odBin: it remembers its folder, file
    // name and filter between uses, and a drop leaves the file to import in it.
    OpenDialogState OpenDialog;
    // What the last find matched; the hex view selects these bytes.
    BufferSelection Selection;

    ChipContext& Chip;
    TextContext& Texts;
    ViewSet& Views;
    Clock& clock;
    BusyState& Busy;

    // While a chip operation, download or update runs, nothing may change
    // the buffer: the commands that would are refused.
    bool Locked() const { return Busy.Running; }
};

}  // namespace tq
