// The buffer context: the buffer record and what the open dialog remembers,
// with the geometry of the chip the buffer belongs to (its capacity and start
// address), the texts and views that buffer commands show, and the buffer's
// busy state.
#pragma once

#include "core/base/busy_state.h"
#include "core/base/views.h"
#include <optional>

#include "core/buffer/buffer_geometry.h"
#include "core/buffer/buffer_history.h"
#include "core/buffer/caption_view.h"
#include "core/buffer/buffer_record.h"
#include "core/buffer/hex_view_state.h"
#include "core/buffer/buffer_selection.h"
#include "core/buffer/open_dialog_state.h"
#include "core/platform/clock.h"
#include "core/texts/text_context.h"

namespace tq {

struct BufferContext {
    BufferContext(BufferGeometry geometry, TextContext& texts, ViewSet& views, Clock& clock, BusyState& busy)
        : Geometry(geometry), Texts(texts), Views(views), clock(clock), Busy(busy) {}
    BufferContext(const BufferContext&) = delete;
    BufferContext& operator=(const BufferContext&) = delete;

    // What the buffer works with, set up once by the session.
    BufferGeometry Geometry;
    TextContext& Texts;
    ViewSet& Views;
    Clock& clock;
    BusyState& Busy;

    Ram_File_Info_Struct RamFile;
    // The main window's open dialog odBin: it remembers its folder, file
    // name and filter between uses, and a drop leaves the file to import in it.
    OpenDialogState OpenDialog;
    // Undo, redo and whether the buffer differs from the last file.
    BufferHistory History;
    // The hex view's rows and caret.
    HexViewState HexView;
    // The byte sum of the storage up to its bound, kept so that an edit of
    // one byte need not sum a large chip again; it belongs to the storage at
    // `data` only. Whatever changes Data without the buffer routines resets it.
    struct StorageSum {
        const uint8_t* data = nullptr;
        uint32_t bound = 0;
        uint32_t sum = 0;
    };
    std::optional<StorageSum> KnownStorageSum;
    // What the last find matched; the hex view selects these bytes.
    BufferSelection Selection;
    // What the buffer holds, for the caption (caption_text.h), and where the
    // caption is shown: null until a front-end with a caption sets it.
    BufferHolding Holding;
    CaptionView* Caption = nullptr;

    // While a chip operation, download or update runs, nothing may change
    // the buffer: the commands that would are refused.
    bool Locked() const { return Busy.Running; }
};

}  // namespace tq
