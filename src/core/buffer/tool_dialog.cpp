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

// A mode's captions: the language file's [section] key where it has one,
// else the catalogue's text.
auto SectionLabels(const BufferContext& buffer, const TextLookup& texts, const char* section) {
    return [&texts, language = buffer.Texts.Language, section](const char* key, TextId id) {
        return texts(section, key, Text(language, id));
    };
}

// Every mode starts as its title and field 1 (never hidden; only the find
// mode limits its length); a mode shows what else it needs.
void OpenMode(const BufferContext& buffer, FileEditDialog& dialog, std::string caption, std::string label,
              std::string text, int maxLength = 0) {
    dialog.Caption = std::move(caption);
    ShowField(dialog.Field1, std::move(label), std::move(text), true, maxLength);
    dialog.Field2.visible = false;
    dialog.Field3.visible = false;
    dialog.RandomVisible = false;
    SetButtons(buffer, dialog);
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
    const TextPicker text(buffer.Texts.Language);
    OpenMode(buffer, dialog, text(TextId::ImportDialogTitle), text(TextId::ImportStartAddress),
             HexText(buffer.Geometry.startAddress, 8));
    Show(dialog, FileEditMode::Import);
}

void PrepareFillDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts) {
    const auto label = SectionLabels(buffer, texts, "BufferFill");
    OpenMode(buffer, dialog, label("FillDialogTitle", TextId::FillDialogTitle),
             label("FillStartAddr", TextId::FillStartAddress), "00000000");
    ShowField(dialog.Field2, label("FillLen", TextId::FillLength), HexText(buffer.Geometry.capacity, 8), true);
    ShowField(dialog.Field3, label("FillValue", TextId::FillValue), "00", true, 2);
    dialog.RandomCaption = label("FillRandom", TextId::FillRandom);
    dialog.RandomVisible = true;
    dialog.RandomChecked = false;
    Show(dialog, FileEditMode::Fill);
}

void PrepareJumpDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts) {
    const auto label = SectionLabels(buffer, texts, "BufferJump");
    OpenMode(buffer, dialog, label("BufferJumpTitle", TextId::JumpDialogTitle),
             label("BufferJumpAddr", TextId::JumpAddress), "00000000");
    ShowField(dialog.Field2, label("BufferCurrentAddr", TextId::JumpCurrentAddress), HexText(buffer.RamFile.ViewTop, 8),
              false);
    Show(dialog, FileEditMode::Jump);
}

void PrepareFindDialog(BufferContext& buffer, FileEditDialog& dialog, const TextLookup& texts) {
    const auto label = SectionLabels(buffer, texts, "BufferFind");
    OpenMode(buffer, dialog, label("BufferFindTitle", TextId::FindDialogTitle),
             label("BufferFindValue", TextId::FindValue), "FFFFFFFF", kFindFieldMaxLength);
    dialog.Field2.enabled = false;
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
