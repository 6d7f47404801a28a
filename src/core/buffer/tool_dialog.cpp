#include "core/buffer/tool_dialog.h"

#include <cstdio>

#include "core/base/number_text.h"
#include "core/buffer/file_import.h"
#include "core/buffer/hex_field.h"

namespace tq {

namespace {

void SetButtons(const BufferContext& buffer, FileEditDialog& dialog) {
    dialog.OkCaption = buffer.Texts.DevLanguage.OK;
    dialog.CancelCaption = buffer.Texts.DevLanguage.Cancel;
}

void Show(FileEditDialog& dialog, FileEditMode mode) {
    dialog.Mode = static_cast<int>(mode);
    dialog.Visible = true;
}

void ShowField(DialogField& field, std::string label, std::string text, bool enabled, int maxLength = 0) {
    field.label = std::move(label);
    field.text = std::move(text);
    field.visible = true;
    field.enabled = enabled;
    field.maxLength = maxLength;
}

// Field 1 is never hidden; only the find mode limits its length.
void OpenField1(FileEditDialog& dialog, std::string label, std::string text, int maxLength) {
    ShowField(dialog.Field1, std::move(label), std::move(text), true, maxLength);
}

// Reads a number field; reports a bad text and returns nothing.
std::optional<uint32_t> ReadNumber(BufferContext& buffer, const DialogField& field) {
    const std::optional<uint32_t> value = ParseHexNumber(field.text);
    if (!value) buffer.Views.messages->ShowError(InvalidHexText(buffer, field.text));
    return value;
}

std::optional<HexSelection> CarryOutFill(BufferContext& buffer, FileEditDialog& dialog, const RandomByteSource& random) {
    const std::optional<uint32_t> start = ReadNumber(buffer, dialog.Field1);
    if (!start) return std::nullopt;
    const std::optional<uint32_t> count = ReadNumber(buffer, dialog.Field2);
    if (!count) return std::nullopt;
    const std::optional<uint32_t> value = ReadNumber(buffer, dialog.Field3);
    if (!value) return std::nullopt;
    FillBuffer(buffer, *start, *count, static_cast<uint8_t>(*value), dialog.RandomChecked ? &random : nullptr);
    dialog.Visible = false;
    return std::nullopt;
}

std::optional<HexSelection> CarryOutJump(BufferContext& buffer, FileEditDialog& dialog) {
    const std::optional<uint32_t> offset = ReadNumber(buffer, dialog.Field1);
    if (!offset) return std::nullopt;
    JumpBuffer(buffer, *offset);
    dialog.Visible = false;
    return std::nullopt;
}

std::optional<HexSelection> CarryOutFind(BufferContext& buffer, FileEditDialog& dialog) {
    Ram_File_Info_Struct& ram = buffer.RamFile;
    if (!ReadFindPattern(dialog.Field1.text, ram.FindPattern, ram.FindLen)) {
        buffer.Views.messages->ShowError(InvalidHexText(buffer, dialog.Field1.text));
        return std::nullopt;
    }
    dialog.Visible = false;
    return FindPatternFromView(buffer);
}

}  // namespace

void PrepareImportDialog(BufferContext& buffer, FileEditDialog& dialog) {
    dialog.Caption = Text(buffer.Texts.Language, TextId::ImportDialogTitle);
    OpenField1(dialog, Text(buffer.Texts.Language, TextId::ImportStartAddress), HexText(buffer.Geometry.startAddress, 8), 0);
    dialog.Field2.visible = false;
    dialog.Field3.visible = false;
    dialog.RandomVisible = false;
    SetButtons(buffer, dialog);
    Show(dialog, FileEditMode::Import);
}

void PrepareFillDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts) {
    dialog.Caption = texts("BufferFill", "FillDialogTitle", Text(buffer.Texts.Language, TextId::FillDialogTitle));
    OpenField1(dialog, texts("BufferFill", "FillStartAddr", Text(buffer.Texts.Language, TextId::FillStartAddress)), "00000000", 0);
    ShowField(dialog.Field2, texts("BufferFill", "FillLen", Text(buffer.Texts.Language, TextId::FillLength)), HexText(buffer.Geometry.capacity, 8),
              true);
    ShowField(dialog.Field3, texts("BufferFill", "FillValue", Text(buffer.Texts.Language, TextId::FillValue)), "00", true, 2);
    dialog.RandomCaption = texts("BufferFill", "FillRandom", Text(buffer.Texts.Language, TextId::FillRandom));
    dialog.RandomVisible = true;
    dialog.RandomChecked = false;
    SetButtons(buffer, dialog);
    Show(dialog, FileEditMode::Fill);
}

void PrepareJumpDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts) {
    dialog.Caption = texts("BufferJump", "BufferJumpTitle", Text(buffer.Texts.Language, TextId::JumpDialogTitle));
    OpenField1(dialog, texts("BufferJump", "BufferJumpAddr", Text(buffer.Texts.Language, TextId::JumpAddress)), "00000000", 0);
    ShowField(dialog.Field2, texts("BufferJump", "BufferCurrentAddr", Text(buffer.Texts.Language, TextId::JumpCurrentAddress)), HexText(buffer.RamFile.ViewTop, 8),
              false);
    dialog.Field3.visible = false;
    dialog.RandomVisible = false;
    SetButtons(buffer, dialog);
    Show(dialog, FileEditMode::Jump);
}

void PrepareFindDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts) {
    dialog.Caption = texts("BufferFind", "BufferFindTitle", Text(buffer.Texts.Language, TextId::FindDialogTitle));
    OpenField1(dialog, texts("BufferFind", "BufferFindValue", Text(buffer.Texts.Language, TextId::FindValue)), "FFFFFFFF", kFindFieldMaxLength);
    dialog.Field2.visible = false;
    dialog.Field2.enabled = false;
    dialog.Field3.visible = false;
    dialog.RandomVisible = false;
    SetButtons(buffer, dialog);
    Show(dialog, FileEditMode::Find);
}

void SetRandomFill(FileEditDialog& dialog, bool checked) {
    dialog.RandomChecked = checked;
    dialog.Field3.enabled = !checked;
}

void CloseBufferDialog(FileEditDialog& dialog) { dialog.Visible = false; }

std::optional<HexSelection> ApplyBufferDialog(BufferContext& buffer, FileEditDialog& dialog, CaptionView& caption,
                                                 const RandomByteSource& random) {
    switch (dialog.Mode) {
        case static_cast<int>(FileEditMode::Import):
            ImportFromDialog(buffer, dialog, caption);
            return std::nullopt;
        case static_cast<int>(FileEditMode::Fill): return CarryOutFill(buffer, dialog, random);
        case static_cast<int>(FileEditMode::Jump): return CarryOutJump(buffer, dialog);
        case static_cast<int>(FileEditMode::Find): return CarryOutFind(buffer, dialog);
        default: return std::nullopt;
    }
}

}  // namespace tq
