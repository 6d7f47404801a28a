#include "core/buffer/file_import.h"

#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_field.h"
#include "core/buffer/tool_dialog.h"

namespace tq {

void DropFiles(Session& session, FileEditDialog& dialog, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    session.OpenDialog.Filters = OpenFileFilters();
    session.OpenDialog.FileName = paths.back();
    PrepareImportDialog(session, dialog);
}

void ImportFromDialog(Session& session, FileEditDialog& dialog, CaptionView& caption) {
    const std::optional<uint32_t> start = ParseHexNumber(dialog.Field1.text);
    if (!start) {
        session.Views.messages->ShowError(InvalidHexText(session, dialog.Field1.text));
        return;
    }
    LoadOptions options;
    options.ramStartAddr = *start;
    options.reportOverCapacity = false;
    options.checkSumForm = CheckSumForm::Plain;
    std::string error;
    if (!LoadIntoBuffer(session, session.OpenDialog.FileName, options, &caption, error))
        session.Views.messages->ShowError(error);
    dialog.Visible = false;
}

}  // namespace tq
