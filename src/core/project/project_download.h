// Storing an offline project in the programmer: the project file in one
// framed command (0x44), the data file into the on-board storage with the
// write stream (channel 1, chip-type code 1), then a read-back comparison.
// Progress goes to a two-panel status line (panel 0 the stage, panel 1 its
// state or percentage; the project dialog's sbPrj) and a bar (its
// pbPrjDownStatus).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tq {

struct OperationContext;
class StatusBarView;
class ProgressView;
struct ProjectPlan;

struct ProjectDialogViews {
    StatusBarView& stages;
    ProgressView& bar;
};

inline constexpr uint32_t kStorageLimit = 16u * 1024 * 1024;  // bytes of a data file stored at most
inline constexpr uint16_t kStoreBlockSize = 2048;
inline constexpr uint16_t kCheckBlockSize = 4096;

// Results of the steps below.
inline constexpr int kStepOk = 0;
inline constexpr int kStepFileError = 1;  // a host file could not be read; already reported
inline constexpr int kStepBusy = 2;       // another operation, download or update holds the session: nothing sent
inline constexpr int kStepFailed = 255;   // no answer, a dropped link or a difference

// Sends the project file with command 0x44: its length (32 bit), then its
// first 512 bytes (kProjectFileLimit) padded with 0xFF. 0 when an answer came back, 255 when none
// did, 1 when the file could not be read (reported; nothing sent).
int SendProjectFile(OperationContext& context, const std::filesystem::path& path);

// Streams the data file (at most 16 MiB of it) into the on-board storage in
// blocks of 2048, moving the bar and panel 1 from 30% to 80%. 0 on success,
// 255 when the link dropped during the transfer, 1 when the file could not be
// read (reported).
int StoreDataFile(OperationContext& context, ProjectDialogViews& views, const std::filesystem::path& path);

// Reads the on-board storage back in blocks of 4096 and compares it with the
// data file, moving the bar and panel 1 from 80% to 100%. 0 when equal, 255 at
// the first difference or when a block did not arrive, 1 when the file could
// not be read (reported).
int CheckDataFile(OperationContext& context, ProjectDialogViews& views, const std::filesystem::path& path);

// Takes name, length and checksum of a project's data file into
// PrjInfoOffline. False after the reason (with the path) was shown; the record
// is then as it was.
bool TakeDataFile(OperationContext& context, const std::string& path);

// Downloads the project the plan describes: takes the data file's length and
// checksum into PrjInfoOffline, writes the project file, sends it, then
// stores and checks the data file. 0 only when every step succeeded.
int DownloadProject(OperationContext& context, ProjectDialogViews& views, const ProjectPlan& plan);

}  // namespace tq
