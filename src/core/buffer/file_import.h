// Files dropped onto the main window: the last one is offered in the
// parameter dialog's import mode, and OK loads it with the typed start address.
#pragma once

#include <string>
#include <vector>

#include "core/buffer/caption_view.h"
#include "core/buffer/buffer_context.h"

namespace tq {

struct FileEditDialog;

// The shell dropped `paths` (in its order): the last path becomes the open
// dialog's file and the dialog is prepared and shown for the import.
void DropFiles(BufferContext& buffer, FileEditDialog& dialog, const std::vector<std::string>& paths);

// Import (OK in import mode): RamStartAddr from field 1, then the open
// dialog's file loaded like the open command does, cut silently to the chip
// and with the plain checksum text. A bad field 1 is reported and the dialog
// stays open; a file that cannot be read is reported and changes nothing.
void ImportFromDialog(BufferContext& buffer, FileEditDialog& dialog, CaptionView& caption);

}  // namespace tq
