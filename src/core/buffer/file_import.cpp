#include "core/buffer/file_import.h"

#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_field.h"
#include "core/buffer/tool_dialog.h"

namespace tq {

void DropFiles(BufferContext& buffer, FileEditDialog& dialog, const std::vector<std::string>& paths) {
    if (paths.empty() || buffer.Locked()) return;
    buffer.OpenDialog.Filters = OpenFileFilters(buffer.Texts.Language);
    buffer.OpenDialog.FileName = paths.back();
    PrepareImportDialog(buffer, dialog);
}

void ImportFromDialog(BufferContext& buffer, FileEditDialog& dialog, CaptionView& caption) {
    const std::optional<uint32_t> start = ParseHexNumber(dialog.Field1.text);
    if (!start) {
        buffer.Views.messages->ShowError(InvalidHexText(buffer, dialog.Field1.text));
        return;
    }
    LoadOptions options;
    options.ramStartAddr = *start;
    options.undoable = true;
    std::string error;
    if (!LoadIntoBuffer(buffer, buffer.OpenDialog.FileName, options, &caption, error))
        buffer.Views.messages->ShowError(error);
    dialog.Visible = false;
}

}  // namespace tq
