#include "core/project/project_download.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/base/views.h"
#include "core/buffer/image_formats.h"
#include "core/device/commands.h"
#include "core/device/frame.h"
#include "core/project/project_crc.h"
#include "core/project/project_file.h"
#include "core/operations/operation_display.h"
#include "core/project/project_texts.h"
#include "core/operations/operation_context.h"

namespace tq {

namespace {

// Opens the project file for reading, reporting a failure with its path.
bool OpenForReading(const OperationContext& context, MessageView& messages, const std::filesystem::path& path,
                    std::ifstream& in, uint64_t& size) {
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(path, ec);
    if (!folder) in.open(path, std::ios::binary);
    if (folder || !in || !in.seekg(0, std::ios::end)) {
        messages.ShowError(ProjectText(context, TextId::ProjectCannotOpenFile, {path.string()}));
        return false;
    }
    size = static_cast<uint64_t>(in.tellg());
    in.seekg(0);
    return true;
}

// Reads exactly count bytes, reporting a short read with the file's path.
bool ReadExactly(const OperationContext& context, MessageView& messages, const std::filesystem::path& path,
                 std::ifstream& in, uint8_t* into, uint32_t count) {
    if (count == 0) return true;
    in.read(reinterpret_cast<char*>(into), count);
    if (static_cast<uint32_t>(in.gcount()) == count) return true;
    messages.ShowError(ProjectText(context, TextId::ProjectCannotReadFile, {path.string()}));
    return false;
}

std::string Percent(uint64_t value) { return std::to_string(value) + "%"; }

}  // namespace

int SendProjectFile(OperationContext& context, MessageView& messages, const std::filesystem::path& path) {
    std::ifstream in;
    uint64_t size = 0;
    if (!OpenForReading(context, messages, path, in, size)) return kStepFileError;
    const auto carried = static_cast<uint32_t>(std::min<uint64_t>(size, kProjectFileLimit));

    DeviceLink& link = context.Device.Link;
    uint8_t* p = StartFrame(link, CMD_PROJECT_FILE, static_cast<uint16_t>(4 + kProjectFileLimit));
    PutBe32(p, static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX)));
    std::memset(p + 4, 0xFF, kProjectFileLimit);
    if (!ReadExactly(context, messages, path, in, p + 4, carried)) return kStepFileError;

    link.DeviceExchange(FinishFrame(link));
    return link.ReceivedCount == 0 ? kStepFailed : kStepOk;
}

int StoreDataFile(OperationContext& context, ProjectDialogViews& views, std::span<const uint8_t> data) {
    const auto length = static_cast<uint32_t>(std::min<size_t>(data.size(), kStorageLimit));

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
        std::memcpy(block, data.data() + done, count);
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

int CheckDataFile(OperationContext& context, ProjectDialogViews& views, std::span<const uint8_t> data) {
    const auto length = static_cast<uint32_t>(std::min<size_t>(data.size(), kStorageLimit));

    DeviceLink& link = context.Device.Link;
    views.stages.SetPanelText(0, ProjectText(context, TextId::ProjectStageCheck));
    SendReadHeader(link, 1, kStorageChipType, 0, length, kCheckBlockSize);

    uint32_t done = 0;
    while (done < length) {
        // The last block is asked for with its own, smaller size.
        const uint32_t block = std::min<uint32_t>(kCheckBlockSize, length - done);
        link.Wait10us(1);
        // A block that did not arrive leaves stale bytes in the receive area:
        // never compare those.
        if (link.DeviceRead(link.ReceiveArea(), block) < RoundToSectors(block)) return kStepFailed;
        if (std::memcmp(data.data() + done, link.ReceiveArea(), block) != 0) return kStepFailed;
        done += block;
        const uint64_t percentage = static_cast<uint64_t>(done) * 20 / length + 80;
        views.stages.SetPanelText(1, Percent(percentage));
        views.bar.SetPosition(static_cast<uint32_t>(percentage));
    }
    views.stages.SetPanelText(1, ProjectText(context, TextId::ProjectCheckPassed));
    return kStepOk;
}

bool ReadDataFile(const OperationContext& context, MessageView& messages, const std::string& path,
                  std::vector<uint8_t>& data, bool warn) {
    data.clear();
    SourceFile file(path);
    std::string why;
    if (!file.Open(why)) {
        messages.ShowError(ProjectText(context, TextId::ProjectCannotOpenFile, {path}));
        return false;
    }
    const ImageFormatRow& format = ImageFormatOf(path);
    const bool binary = IsBinaryFormat(format);
    // Only what the storage holds is kept; the report still gives the whole length.
    ImageReadOptions reading;
    reading.maxImageBytes = kStorageLimit;
    reading.keepBytes = kStorageLimit;
    reading.language = context.Texts.Language;  // the reader's reasons join our texts
    Image image;
    const ConversionReport report = format.read(file, reading, image);
    std::string refusal;
    if (!report.ok) {
        refusal = binary ? ProjectText(context, TextId::ProjectCannotReadFile, {path})
                         : ProjectText(context, TextId::ProjectDataFileCannotConvert, {path}) + "\n" + report.error;
    } else if (report.imageSize > kStorageLimit) {
        // Only the first 16 MiB would be stored while the project announces
        // the whole image, so the project could never match.
        refusal = ProjectText(context, TextId::ProjectDataFileBeyondStorage, {path});
    } else if (!binary && image.bytes.empty()) {
        refusal = ProjectText(context, TextId::ProjectDataFileNoImage, {path});
        for (const std::string& warning : report.warnings) refusal += "\n" + warning;
    }
    if (!refusal.empty()) {
        messages.ShowError(refusal);
        return false;
    }
    if (warn && !report.warnings.empty()) {
        std::string text = path;
        for (const std::string& warning : report.warnings) text += "\n" + warning;
        messages.ShowWarning(text);
    }
    data = std::move(image.bytes);
    return true;
}

void RecordDataFile(Prj_Info_Struct& offline, const std::string& path, std::span<const uint8_t> data) {
    offline.DataFileName = path;
    offline.FileLen = static_cast<uint32_t>(data.size());
    offline.Crc32 = ProjectCrc(data.data(), data.size());
}

int DownloadProject(OperationContext& context, ProjectDialogViews& views, const ProjectPlan& plan) {
    OperationScope scope(context);
    if (!scope.claimed()) return kStepBusy;
    MessageView& messages = views.messages;
    const std::string& dataFile = plan.dataFile;
    if (dataFile.empty() || dataFile == "0") {
        messages.ShowMessage(ProjectText(context, TextId::ProjectChooseDataFileFirst));
        return kStepFailed;
    }
    // The project describes the file as it is now, whenever it was chosen.
    std::vector<uint8_t> data;
    // Skipped records were shown when the file was chosen.
    if (!ReadDataFile(context, messages, dataFile, data, false)) return kStepFileError;
    if (data.empty()) {
        // Nothing to store: refused before anything is written or sent.
        messages.ShowError(ProjectText(context, TextId::ProjectDataFileEmpty, {dataFile}));
        return kStepFailed;
    }
    RecordDataFile(context.Chip.PrjInfoOffline, dataFile, data);
    const std::filesystem::path projectPath = ProjectFilePath(context);
    if (!WriteProjectFile(context, messages, plan, projectPath)) return kStepFailed;

    StatusBarView& stages = views.stages;
    stages.SetPanelText(0, ProjectText(context, TextId::ProjectStageProjectFile));
    if (SendProjectFile(context, messages, projectPath) != kStepOk) {
        stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloadError));
        return kStepFailed;
    }
    stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloaded));
    context.Device.Link.Wait10us(100000);

    stages.SetPanelText(0, ProjectText(context, TextId::ProjectStageDataFile));
    stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloadStarted));
    views.bar.SetMaximum(100);
    const int stored = StoreDataFile(context, views, data);
    if (stored != kStepOk) {
        // The link went away mid-stream: the storage holds an unknown part.
        stages.SetPanelText(1, ProjectText(context, TextId::ProjectDownloadError));
        return stored;
    }
    const int checked = CheckDataFile(context, views, data);
    if (checked == kStepFailed) messages.ShowMessage(ProjectText(context, TextId::ProjectCheckFailed));
    return checked;
}

}  // namespace tq
