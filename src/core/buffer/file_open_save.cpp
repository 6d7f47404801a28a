#include "core/buffer/file_open_save.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/texts/status_line.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/cap_conversion.h"
#include "core/buffer/hex_conversion.h"
#include "core/buffer/image_export.h"
#include "core/buffer/srec_conversion.h"
#include "core/base/atomic_write.h"

namespace fs = std::filesystem;

namespace tq {

namespace {

std::string CannotRead(const BufferContext& buffer, const std::string& path, const std::string& reason) {
    return ByLanguage(buffer, "无法读取文件：", "無法讀取檔案：", "Cannot read the file: ") + path +
           (reason.empty() ? "" : "\n" + reason);
}

std::string OverCapacityText(const BufferContext& buffer) {
    return ByLanguage(buffer, "文件长度超过了芯片容量!\r超出部分将被忽略，注意确认！",
                      "文件長度超過了芯片容量!\r超出部分將被忽略，注意確認！",
                      "The file seledted is bigger than the chip capcity!Please check!");
}

// A large HEX file takes a while: the progress bar shows how much was read.
ConversionProgress ShowReading(BufferContext& buffer) {
    ProgressView& progress = *buffer.Views.progress;
    progress.SetMaximum(100);
    return [&progress, shown = uint64_t{101}](uint64_t read, uint64_t total) mutable {
        const uint64_t percent = total ? std::min<uint64_t>(read * 100 / total, 100) : 100;
        if (percent != shown) progress.SetPosition(static_cast<uint32_t>(shown = percent));
    };
}

// Converts a ".hex", ".cap" or S-record file into the temp folder and names
// the image to load; any other file is loaded as it is.
bool ImageToLoad(BufferContext& buffer, const std::string& chosenPath, std::string& imagePath,
                 std::vector<std::string>& warnings, std::string& error) {
    const std::string extension = FileExtension(chosenPath);
    imagePath = chosenPath;
    const bool srec = IsSrecFormat(ImageFormatOf(extension));
    if (extension != "hex" && extension != "cap" && !srec) return true;

    const fs::path folder = TempFolder(buffer);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = ByLanguage(buffer, "无法创建文件夹：", "無法建立資料夾：", "Cannot create the folder: ") +
                folder.string() + "\n" + ec.message();
        return false;
    }
    const bool hex = extension == "hex";
    const fs::path destination = folder / (hex ? "hex.bin" : srec ? "srec.bin" : "cap.bin");
    ConversionReport report = hex    ? HexToBin(chosenPath, destination, kMaxHexImageBytes, ShowReading(buffer))
                              : srec ? SrecToBin(chosenPath, destination)
                                     : CapToBin(chosenPath, destination);
    if (!report.ok) {
        error = ByLanguage(buffer, "无法转换文件：", "無法轉換檔案：", "Cannot convert the file: ") + chosenPath +
                "\n" + report.error;
        return false;
    }
    warnings = std::move(report.warnings);
    imagePath = destination.string();
    return true;
}

}  // namespace

std::string FileExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? path.substr(0, 10) : path.substr(dot + 1, 10);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

fs::path TempFolder(const BufferContext& buffer) { return buffer.Texts.TempFolder; }

bool LoadIntoBuffer(BufferContext& buffer, const std::string& chosenPath, const LoadOptions& options,
                    CaptionView* caption, std::string& error) {
    if (buffer.Locked()) {
        error = ByLanguage(buffer, "另一个操作正在进行，缓冲区现在不能改动。", "另一個操作正在進行，緩衝區現在不能改動。",
                           "Another operation is running; the buffer cannot change now.");
        return false;
    }
    std::string imagePath;
    std::vector<std::string> warnings;
    if (!ImageToLoad(buffer, chosenPath, imagePath, warnings, error)) return false;

    errno = 0;
    std::ifstream in(imagePath, std::ios::binary);
    if (!in) {
        error = CannotRead(buffer, imagePath, errno ? std::strerror(errno) : "");
        return false;
    }
    std::error_code ec;
    const uintmax_t size = fs::file_size(imagePath, ec);
    if (ec) {
        error = CannotRead(buffer, imagePath, ec.message());
        return false;
    }
    // A file that yields no data (an empty file, a HEX file without records
    // or end record, a CAP file of nothing but its header) changes nothing.
    if (size == 0) {
        error = ByLanguage(buffer, "文件中没有数据：", "檔案中沒有資料：", "The file holds no data: ") + chosenPath;
        for (const std::string& warning : warnings) error += "\n" + warning;
        return false;
    }
    // The whole size counts, not its low 32 bits: a file of 4 GiB and more
    // is longer than any chip and cut like one.
    const uint32_t bound = StorageBound(buffer);
    const uint32_t length = static_cast<uint32_t>(std::min<uintmax_t>(size, bound));
    if (size > bound && options.reportOverCapacity)
        buffer.Views.messages->ShowMessage(StatusLine(buffer.clock, OverCapacityText(buffer)));

    std::vector<uint8_t> image(length);
    in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(length));
    if (static_cast<uint64_t>(in.gcount()) != length) {
        error = CannotRead(buffer, imagePath, in.bad() ? "read error" : "the file ended early");
        return false;
    }

    Ram_File_Info_Struct& ram = buffer.RamFile;
    if (options.undoable) RecordRangeBeforeChange(buffer, 0, length);
    std::copy(image.begin(), image.end(), ram.Data.begin());
    buffer.Chip.PrjInfo.RamStartAddr = options.ramStartAddr;
    ram.FileOpened = 1;
    ram.FileName = imagePath;
    if (caption) caption->SetCaption(buffer.Texts.DevLanguage.MainSoftWareInfo + "    " + chosenPath);
    ram.DataLen = length;
    ram.FileCheckSum = CheckSum32(0, image.data(), image.size());
    ShowCheckSum(buffer, ram.FileCheckSum, options.checkSumForm);
    if (options.undoable)
        buffer.Selection = {};  // the import replaced what the last find matched
    else
        ForgetBufferHistory(buffer);
    ResetHexViewToTop(buffer);

    if (!warnings.empty()) {
        std::string text = chosenPath;
        for (const std::string& warning : warnings) text += "\n" + warning;
        buffer.Views.messages->ShowWarning(text);
    }
    return true;
}

bool LoadDataFile(BufferContext& buffer, const std::string& path, std::string& error) {
    return LoadIntoBuffer(buffer, path, LoadOptions{}, nullptr, error);
}

void sbOpenFileClick(BufferContext& buffer, CaptionView& caption, const TextLookup& texts) {
    if (buffer.Locked() || !ConfirmDiscardEdits(buffer)) return;
    OpenDialogState& dialog = buffer.OpenDialog;
    dialog.Title = texts("FileInport", "ODTitle", "选择打开的文件");
    dialog.Filters = OpenFileFilters();
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
    const ImageFormat format = ImageFormatOf(FileExtension(path.string()));
    std::string why;
    if (WriteImageFile(path, format, ram.Data.data(), length, buffer.Chip.PrjInfo.RamStartAddr, why)) return true;
    error = ByLanguage(buffer, "无法保存文件：", "無法儲存檔案：", "Cannot save the file: ") + path.string() + "\n" + why;
    return false;
}

void Menu_File_SaveAsClick(BufferContext& buffer) {
    const std::string chosen =
        buffer.Views.fileDialog->ChooseSaveFile("保存缓存区", SaveFileFilters(), "", "");
    if (chosen.empty()) return;
    std::string error;
    if (!SaveBufferFile(buffer, SavePath(chosen), error))
        buffer.Views.messages->ShowError(error);
    else
        MarkBufferSaved(buffer);
}

}  // namespace tq
