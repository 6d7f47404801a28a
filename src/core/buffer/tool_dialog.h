// The buffer's parameter dialog (TfrmFileEdit) as data: each command prepares
// its texts, visibility and limits here, the dialog widget shows them, and
// its OK button hands the typed texts back to ApplyBufferDialog.
#pragma once

#include <optional>
#include <string>

#include "core/buffer/buffer_texts.h"
#include "core/buffer/buffer_tools.h"
#include "core/buffer/caption_view.h"
#include "core/buffer/hex_cursor.h"
#include "core/buffer/buffer_context.h"

namespace tq {

struct DialogField {
    std::string label;
    std::string text;  // typed letters are shown and kept upper case
    bool visible = true;
    bool enabled = true;
    int maxLength = 0;  // 0: no limit
    bool operator==(const DialogField&) const = default;
};

enum class FileEditMode : int { Import = 0, Fill = 1, Jump = 2, Find = 3 };

// The dialog keeps whatever the last preparation left until the next one.
struct FileEditDialog {
    int Mode = 0;  // the dialog's tag; values other than 0..3 make OK do nothing
    std::string Caption = "缓存导入编辑";
    DialogField Field1{"缓存起始地址：", "00000000"};
    DialogField Field2{"缓存起始地址：", "00000000"};
    DialogField Field3{"缓存起始地址：", "00"};
    std::string RandomCaption = "随机";
    bool RandomVisible = true;
    bool RandomChecked = false;
    std::string OkCaption = "确定";
    std::string CancelCaption = "取消";
    bool Visible = false;
};

// Longest find text: two digits for each of the 256 pattern bytes.
inline constexpr int kFindFieldMaxLength = 512;

// Preparations; each shows the dialog (modeless, on top).
void PrepareImportDialog(BufferContext& buffer, FileEditDialog& dialog);
void PrepareFillDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts);
void PrepareJumpDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts);
void PrepareFindDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts);

// The random check box switched: field 3 is enabled exactly while it is unchecked.
void SetRandomFill(FileEditDialog& dialog, bool checked);
void CloseBufferDialog(FileEditDialog& dialog);

// OK: carries out the current mode with the dialog's field texts. A field
// that is not a valid number is reported and the dialog stays open; otherwise
// the dialog closes (Visible false). A find that matched returns the hex
// column selection to show, with the keyboard focus in the hex column.
std::optional<HexSelection> ApplyBufferDialog(BufferContext& buffer, FileEditDialog& dialog, CaptionView& caption,
                                                 const RandomByteSource& random = SeededRandomBytes());

}  // namespace tq
