#include "core/buffer/file_open_save.h"

#include <algorithm>
#include <cstdio>

#include "core/texts/text_catalogue.h"
#include "core/base/number_text.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/caption_text.h"
#include "core/buffer/image_formats.h"

namespace fs = std::filesystem;

namespace tq {

namespace {

std::string CannotRead(const BufferContext& buffer, const std::string& path, const std::string& reason) {
    return Text(buffer.Texts.Language, TextId::CannotReadFile, {path}) + (reason.empty() ? "" : "\n" + reason);
}

// A large text file takes a while: the progress bar shows how much was read.
ConversionProgress ShowReading(BufferContext& buffer) {
    ProgressView& progress = *buffer.Views.progress;
    return [&progress, shown = uint64_t{101}](uint64_t read, uint64_t total) mutable {
        if (shown > 100) progress.SetMaximum(100);
        const uint64_t percent = total ? std::min<uint64_t>(read * 100 / total, 100) : 100;
        if (percent != shown) progress.SetPosition(static_cast<uint32_t>(shown = percent));
    };
}

std::string AddressText(uint64_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(address));
    return text;
}

}  // namespace

fs::path TempFolder(const BufferContext& buffer) { return buffer.Texts.TempFolder; }

std::string FileCutText(int32_t language, const std::string& path, uint64_t total, uint32_t start, uint32_t kept,
                        uint64_t firstLeftOut) {
    return Text(language, TextId::FileCutToChip,
                {path, std::to_string(total), HexText(start, 1), std::to_string(kept), AddressText(firstLeftOut),
                 std::to_string(total - kept)});
}

bool LoadIntoBuffer(BufferContext& buffer, const std::string& chosenPath, const LoadOptions& options,
                    CaptionView* caption, std::string& error) {
    if (buffer.Locked()) {
        error = Text(buffer.Texts.Language, TextId::BufferLockedByOperation);
        return false;
    }
    // The whole size counts, not its low 32 bits: a file of 4 GiB and more
    // is longer than any chip and cut like one. A chip written from the start
    // address has only the bytes from there to its end.
    const uint32_t storage = StorageBound(buffer);
    const uint32_t bound = storage - std::min(options.ramStartAddr, storage);
    ImageReadOptions reading;
    reading.keepBytes = bound;
    reading.progress = ShowReading(buffer);
    reading.language = buffer.Texts.Language;
    Image image;
    const ConversionReport report = ReadImageFile(chosenPath, reading, image);
    if (!report.ok) {
        error = IsBinaryFormat(ImageFormatOf(chosenPath))
                    ? CannotRead(buffer, chosenPath, report.error)
                    : Text(buffer.Texts.Language, TextId::CannotConvertFile, {chosenPath}) + "\n" + report.error;
        return false;
    }
    // A file that yields no data (an empty file, a HEX file without records
    // or end record, a CAP file of nothing but its header) changes nothing.
    if (report.imageSize == 0) {
        error = Text(buffer.Texts.Language, TextId::FileHoldsNoData, {chosenPath});
        for (const std::string& warning : report.warnings) error += "\n" + warning;
        return false;
    }
    // Nothing of the file would fit from a start at or past the chip's end.
    if (options.ramStartAddr != 0 && options.ramStartAddr >= storage) {
        error = Text(buffer.Texts.Language, TextId::StartAddressBeyondChip,
                     {HexText(options.ramStartAddr, 1), std::to_string(storage)});
        return false;
    }
    const auto length = static_cast<uint32_t>(std::min<uint64_t>(report.imageSize, bound));
    std::vector<std::string> warnings;
    if (report.imageSize > bound && options.reportOverCapacity)
        warnings.push_back(FileCutText(buffer.Texts.Language, chosenPath, report.imageSize, options.ramStartAddr, bound,
                                       report.imageAddress + bound));

    Ram_File_Info_Struct& ram = buffer.RamFile;
    if (options.undoable) RecordRangeBeforeEdit(buffer, 0, length);
    std::copy_n(image.bytes.begin(), length, ram.Data.begin());
    buffer.Geometry.startAddress = options.ramStartAddr;
    ram.FileOpened = 1;
    ram.FileName = chosenPath;
    SetBufferHolding(buffer, {BufferHolding::Source::File, chosenPath, report.imageSize, length, report.imageAddress},
                     caption);
    ram.DataLen = length;
    ram.FileCheckSum = CheckSum32(0, ram.Data.data(), length);
    ShowCheckSum(buffer, ram.FileCheckSum);
    if (options.undoable)
        buffer.Selection = {};  // the import replaced what the last find matched
    else
        ForgetBufferHistory(buffer);
    ResetHexViewToTop(buffer);

    if (!report.warnings.empty()) {
        std::string text = chosenPath;
        for (const std::string& warning : report.warnings) text += "\n" + warning;
        warnings.push_back(text);
    }
    if (!warnings.empty()) {
        std::string text = warnings.front();
        for (size_t i = 1; i < warnings.size(); ++i) text += "\n\n" + warnings[i];
        buffer.Views.messages->ShowWarning(text);
    }
    return true;
}

bool LoadDataFile(BufferContext& buffer, const std::string& path, std::string& error) {
    return LoadIntoBuffer(buffer, path, LoadOptions{}, nullptr, error);
}

void ChooseAndOpenFile(BufferContext& buffer, CaptionView& caption, const TextLookup& texts) {
    if (buffer.Locked() || !ConfirmDiscardEdits(buffer)) return;
    OpenDialogState& dialog = buffer.OpenDialog;
    dialog.Title = texts("FileInport", "ODTitle", Text(buffer.Texts.Language, TextId::OpenFileTitle));
    dialog.Filters = OpenFileFilters(buffer.Texts.Language);
    const std::string chosen =
        buffer.Views.fileDialog->ChooseOpenFile(dialog.Title, dialog.Filters, dialog.InitialFolder, dialog.FileName);
    if (chosen.empty()) {
        dialog.InitialFolder = (TempFolder(buffer) / "").string();
        dialog.FileName = (TempFolder(buffer) / "test.bin").string();
        return;
    }
    OpenDataFile(buffer, caption, chosen);
}

bool OpenDataFile(BufferContext& buffer, CaptionView& caption, const std::string& path) {
    std::string error;
    if (!LoadIntoBuffer(buffer, path, LoadOptions{}, &caption, error)) {
        buffer.Views.messages->ShowError(error);
        return false;
    }
    buffer.OpenDialog.FileName = path;
    return true;
}

std::string SavePath(const std::string& chosenPath) {
    return chosenPath.find('.') == std::string::npos ? chosenPath + ".bin" : chosenPath;
}

bool SaveBufferFile(const BufferContext& buffer, const fs::path& path, std::string& error) {
    const Ram_File_Info_Struct& ram = buffer.RamFile;
    const size_t length = std::min<size_t>(ram.DataLen, ram.Data.size());
    // HEX and S-record files carry the chip address of buffer offset 0.
    const ImageSpan image{buffer.Geometry.startAddress, {ram.Data.data(), length}};
    std::string why;
    if (WriteImageFile(path, image, Durability::Synced, why, buffer.Texts.Language)) return true;
    error = Text(buffer.Texts.Language, TextId::CannotSaveFile, {path.string()}) + "\n" + why;
    return false;
}

bool SaveBufferAs(BufferContext& buffer) {
    const std::string chosen = buffer.Views.fileDialog->ChooseSaveFile(
        Text(buffer.Texts.Language, TextId::SaveBufferTitle), SaveFileFilters(), "", "");
    if (chosen.empty()) return false;
    std::string error;
    const std::string path = SavePath(chosen);
    if (!SaveBufferFile(buffer, path, error)) {
        buffer.Views.messages->ShowError(error);
        return false;
    }
    MarkBufferSaved(buffer);
    const uint32_t length = std::min<uint32_t>(buffer.RamFile.DataLen, static_cast<uint32_t>(buffer.RamFile.Data.size()));
    SetBufferHolding(buffer, {BufferHolding::Source::File, path, length, length});
    return true;
}

}  // namespace tq
