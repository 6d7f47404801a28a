#include "core/project/project_download.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/device/commands.h"
#include "core/device/frame.h"
#include "core/project/project_file.h"
#include "core/operations/operation_display.h"
#include "core/project/project_texts.h"
#include "core/base/views.h"
#include "core/operations/operation_context.h"

namespace tq {

namespace {

// Opens a host file for reading, reporting a failure with its path.
bool OpenForReading(OperationContext& context, const std::filesystem::path& path, std::ifstream& in, uint64_t& size) {
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(path, ec);
    if (!folder) in.open(path, std::ios::binary);
    if (folder || !in || !in.seekg(0, std::ios::end)) {
        context.Views.messages->ShowError(CannotOpenText(context, path.string()));
        return false;
    }
    size = static_cast<uint64_t>(in.tellg());
    in.seekg(0);
    return true;
}

// Reads exactly count bytes, reporting a short read with the file's path.
bool ReadExactly(OperationContext& context, const std::filesystem::path& path, std::ifstream& in, uint8_t* into, uint32_t count) {
    if (count == 0) return true;
    in.read(reinterpret_cast<char*>(into), count);
    if (static_cast<uint32_t>(in.gcount()) == count) return true;
    context.Views.messages->ShowError(CannotReadText(context, path.string()));
    return false;
}

std::string Percent(uint64_t value) { return std::to_string(value) + "%"; }

// A data file the programmer can keep whole: an empty one holds no data, and
// of a larger one only the first 16 MiB would be stored while the project
// announces the whole file, so the project could never match. Either is
// refused before anything is written or sent; false after the reason was shown.
bool DataFileFitsStorage(OperationContext& context, const std::string& path) {
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) return true;  // the store step reports a file it cannot read
    if (size == 0) {
        context.Views.messages->ShowError(
            ProjectText(context, "数据文件没有数据：", "資料檔案沒有資料：", "The data file holds no data: ") + path);
        return false;
    }
    if (size > kStorageLimit) {
        context.Views.messages->ShowError(ProjectText(context, "数据文件超过编程器的 16 MiB 存储空间：",
                                                      "資料檔案超過燒錄器的 16 MiB 儲存空間：",
                                                      "The data file is larger than the programmer's 16 MiB storage: ") +
                                          path);
        return false;
    }
    return true;
}

}  // namespace

int SendProjectFile(OperationContext& context, const std::filesystem::path& path) {
    std::ifstream in;
    uint64_t size = 0;
    if (!OpenForReading(context, path, in, size)) return kStepFileError;
    const auto carried = static_cast<uint32_t>(std::min<uint64_t>(size, kProjectFileLimit));

    DeviceLink& link = context.Device.Link;
    uint8_t* p = StartFrame(link, CMD_PROJECT_FILE, static_cast<uint16_t>(4 + kProjectFileLimit));
    PutBe32(p, static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX)));
    std::memset(p + 4, 0xFF, kProjectFileLimit);
    if (!ReadExactly(context, path, in, p + 4, carried)) return kStepFileError;

    link.DeviceExchange(FinishFrame(link));
    return link.ReceivedCount == 0 ? kStepFailed : kStepOk;
}

int StoreDataFile(OperationContext& context, ProjectDialogViews& views, const std::filesystem::path& path) {
    std::ifstream in;
    uint64_t size = 0;
    if (!OpenForReading(context, path, in, size)) return kStepFileError;
    const auto length = static_cast<uint32_t>(std::min<uint64_t>(size, kStorageLimit));

    DeviceLink& link = context.Device.Link;
    SendWriteHeader(link, 1, kStorageChipType, 0, length, kStoreBlockSize);
    views.sbPrj.SetPanelText(0, "板载存储擦除&写入");

    uint32_t done = 0;
    uint64_t percentage = 0;
    for (;;) {
        views.pbPrjDownStatus.SetPosition(static_cast<uint32_t>(percentage));
        if (done >= length) break;
        uint8_t* block = link.SendArea();
        const uint32_t count = std::min<uint32_t>(kStoreBlockSize, length - done);
        if (!ReadExactly(context, path, in, block, count)) {
            SendAbortBlock(link);  // the programmer would otherwise wait for the rest of the stream
            return kStepFileError;
        }
        std::memset(block + count, 0xFF, kStoreBlockSize - count);
        // Without the drive the link is gone: what follows would never arrive.
        if (link.DeviceWrite(block, kStoreBlockSize) != kStoreBlockSize) return kStepFailed;
        done += count;
        if (count == kStoreBlockSize) link.Wait10us(1);
        percentage = static_cast<uint64_t>(done) * 50 / length + 30;
        views.sbPrj.SetPanelText(1, Percent(percentage));
    }
    views.sbPrj.SetPanelText(1, "擦除&写入完成");
    return kStepOk;
}

int CheckDataFile(OperationContext& context, ProjectDialogViews& views, const std::filesystem::path& path) {
    std::ifstream in;
    uint64_t size = 0;
    if (!OpenForReading(context, path, in, size)) return kStepFileError;
    const auto length = static_cast<uint32_t>(std::min<uint64_t>(size, kStorageLimit));

    DeviceLink& link = context.Device.Link;
    views.sbPrj.SetPanelText(0, "数据文件校验");
    SendReadHeader(link, 1, kStorageChipType, 0, length, kCheckBlockSize);

    uint8_t fileBlock[kCheckBlockSize];
    uint32_t done = 0;
    while (done < length) {
        // The last block is asked for with its own, smaller size.
        const uint32_t block = std::min<uint32_t>(kCheckBlockSize, length - done);
        link.Wait10us(1);
        // A block that did not arrive leaves stale bytes in the receive area:
        // never compare those.
        if (link.DeviceRead(link.ReceiveArea(), block) < RoundToSectors(block)) return kStepFailed;
        if (!ReadExactly(context, path, in, fileBlock, block)) return kStepFileError;
        if (std::memcmp(fileBlock, link.ReceiveArea(), block) != 0) return kStepFailed;
        done += block;
        const uint64_t percentage = static_cast<uint64_t>(done) * 20 / length + 80;
        views.sbPrj.SetPanelText(1, Percent(percentage));
        views.pbPrjDownStatus.SetPosition(static_cast<uint32_t>(percentage));
    }
    views.sbPrj.SetPanelText(1, "校验成功");
    return kStepOk;
}

int btnDownLoadPrjClick(OperationContext& context, ProjectDialogViews& views, const ProjectForm& form) {
    OperationScope scope(context);
    if (!scope.claimed()) return kStepBusy;
    const std::string& dataFile = context.Chip.PrjInfoOffline.DataFileName;
    if (dataFile.empty() || dataFile == "0") {
        context.Views.messages->ShowMessage("请先选择数据文件，然后再下载.");
        return kStepFailed;
    }
    if (!DataFileFitsStorage(context, dataFile)) return kStepFailed;
    const std::filesystem::path projectPath = ProjectFilePath(context);
    if (!WriteProjectFile(context, form, projectPath)) return kStepFailed;

    views.sbPrj.SetPanelText(0, "工程文件下载");
    if (SendProjectFile(context, projectPath) != kStepOk) {
        views.sbPrj.SetPanelText(1, "下载错误");
        return kStepFailed;
    }
    views.sbPrj.SetPanelText(1, "下载成功");
    context.Device.Link.Wait10us(100000);

    views.sbPrj.SetPanelText(0, "数据文件下载");
    views.sbPrj.SetPanelText(1, "下载中，0%");
    views.pbPrjDownStatus.SetMaximum(100);
    const int stored = StoreDataFile(context, views, dataFile);
    if (stored == kStepFileError) return stored;
    if (stored != kStepOk) {
        // The link went away mid-stream: the storage holds an unknown part.
        views.sbPrj.SetPanelText(1, "下载错误");
        return stored;
    }
    const int checked = CheckDataFile(context, views, dataFile);
    if (checked == kStepFailed) context.Views.messages->ShowMessage("校验错误，请重试.");
    return checked;
}

}  // namespace tq
