#include "core/project/project_download.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/device/commands.h"
#include "core/device/frame.h"
#include "core/project/project_crc.h"
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
        context.Views.messages->ShowError(ProjectText(context, TextId::ProjectCannotOpenFile, {path.string()}));
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
    context.Views.messages->ShowError(ProjectText(context, TextId::ProjectCannotReadFile, {path.string()}));
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
        context.Views.messages->ShowError(ProjectText(context, TextId::ProjectDataFileEmpty, {path}));
        return false;
    }
    if (size > kStorageLimit) {
        context.Views.messages->ShowError(ProjectText(context, TextId::ProjectDataFileBeyondStorage, {path}));
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
    views.stages.SetPanelText(0, ProjectText(context, TextId::ProjectStageStorage));

    uint32_t done = 0;
    uint64_t percentage = 0;
    for (;;) {
        views.bar.SetPosition(static_cast<uint32_t>(percentage));
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
        views.stages.SetPanelText(1, Percent(percentage));
    }
    views.stages.SetPanelText(1, ProjectText(context, TextId::ProjectStorageWritten));
    return kStepOk;
}

int CheckDataFile(OperationContext& context, ProjectDialogViews& views, const std::filesystem::path& path) {
    std::ifstream in;
    uint64_t size = 0;
    if (!OpenForReading(context, path, in, size)) return kStepFileError;
    const auto length = static_cast<uint32_t>(std::min<uint64_t>(size, kStorageLimit));

    DeviceLink& link = context.Device.Link;
    views.stages.SetPanelText(0, ProjectText(context, TextId::ProjectStageCheck));
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
        views.stages.SetPanelText(1, Percent(percentage));
        views.bar.SetPosition(static_cast<uint32_t>(percentage));
    }
    views.stages.SetPanelText(1, ProjectText(context, TextId::ProjectCheckPassed));
    return kStepOk;
}

bool TakeDataFile(OperationContext& context, const std::string& path) {
    DataFileFacts facts;
    switch (ProjectCrcOfFile(path, facts)) {
        case DataFileError::None: {
            Prj_Info_Struct& offline = context.Chip.PrjInfoOffline;
            offline.DataFileName = path;
            offline.FileLen = facts.length;
            offline.Crc32 = facts.crc;
            return true;
        }
        case DataFileError::CannotOpen: context.Views.messages->ShowError(ProjectText(context, TextId::ProjectCannotOpenFile, {path})); break;
        case DataFileError::CannotRead: context.Views.messages->ShowError(ProjectText(context, TextId::ProjectCannotReadFile, {path})); break;
        case DataFileError::TooLarge: context.Views.messages->ShowError(ProjectText(context, TextId::ProjectDataFileTooLarge, {path})); break;
    }
    return false;
}

int DownloadProject(OperationContext& context, ProjectDialogViews& views, const ProjectPlan& plan) {
    OperationScope scope(context);
    if (!scope.claimed()) return kStepBusy;
    const std::string& dataFile = plan.dataFile;
    if (dataFile.empty() || dataFile == "0") {
        context.Views.messages->ShowMessage(ProjectText(context, TextId::ProjectChooseDataFileFirst));
        return kStepFailed;
    }
    if (!DataFileFitsStorage(context, dataFile)) return kStepFailed;
    // The project describes the file as it is now, whenever it was chosen.
    if (!TakeDataFile(context, dataFile)) return kStepFileError;
    const std::filesystem::path projectPath = ProjectFilePath(context);
    if (!WriteProjectFile(context, plan, projectPath)) return kStepFailed;

    StatusBarView& stages = views.stages;
    stages.SetPanelText(0, ProjectText(context, TextId::ProjectStageProjectFile));
    if (SendProjectFile(context, projectPath) != kStepOk) {
        stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloadError));
        return kStepFailed;
    }
    stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloaded));
    context.Device.Link.Wait10us(100000);

    stages.SetPanelText(0, ProjectText(context, TextId::ProjectStageDataFile));
    stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloadStarted));
    views.bar.SetMaximum(100);
    const int stored = StoreDataFile(context, views, dataFile);
    if (stored == kStepFileError) return stored;
    if (stored != kStepOk) {
        // The link went away mid-stream: the storage holds an unknown part.
        stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloadError));
        return stored;
    }
    const int checked = CheckDataFile(context, views, dataFile);
    if (checked == kStepFailed) context.Views.messages->ShowMessage(ProjectText(context, TextId::ProjectCheckFailed));
    return checked;
}

}  // namespace tq
