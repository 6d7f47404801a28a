// Storing an offline project in the programmer: the project file in one
// framed command (0x44), the data file into the on-board storage with the
// write stream (channel 1, chip-type code 1), then a read-back comparison.
// The data file is read once, through the format table, into the image bytes
// that are stored and compared. Refusals and failures go to the message view
// the caller hands over.
// Progress goes to a two-panel status line (panel 0 the stage, panel 1 its
// state or percentage; the project dialog's sbPrj) and a bar (its
// pbPrjDownStatus).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tq {

struct OperationContext;
struct Prj_Info_Struct;
class MessageView;
class StatusBarView;
class ProgressView;
struct ProjectPlan;

struct ProjectDialogViews {
    StatusBarView& stages;
    ProgressView& bar;
    MessageView& messages;
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
int SendProjectFile(OperationContext& context, MessageView& messages, const std::filesystem::path& path);

// Streams the data (at most 16 MiB) into the on-board storage in blocks of
// 2048, moving the bar and panel 1 from 30% to 80%. 0 on success, 255 when the
// link dropped during the transfer.
int StoreDataFile(OperationContext& context, ProjectDialogViews& views, std::span<const uint8_t> data);

// Reads the on-board storage back in blocks of 4096 and compares it with the
// data, moving the bar and panel 1 from 80% to 100%. 0 when equal, 255 at the
// first difference or when a block did not arrive.
int CheckDataFile(OperationContext& context, ProjectDialogViews& views, std::span<const uint8_t> data);

// Reads a project's data file into `data`: a binary file as it is, any other
// format of the table as the image it describes. False after the reason (with
// the path) was shown: a file that cannot be opened or read, a text file that
// cannot be converted or holds no image, an image beyond the storage. Records
// the reader skipped are shown as a warning when `warn` is set.
bool ReadDataFile(const OperationContext& context, MessageView& messages, const std::string& path,
                  std::vector<uint8_t>& data, bool warn = true);

// Name, length and checksum of the data read from `path` into the project record.
void RecordDataFile(Prj_Info_Struct& offline, const std::string& path, std::span<const uint8_t> data);

// Downloads the project the plan describes: reads the data file, takes its
// length and checksum into PrjInfoOffline, writes the project file, sends it,
// then stores and checks the data. 0 only when every step succeeded.
int DownloadProject(OperationContext& context, ProjectDialogViews& views, const ProjectPlan& plan);

}  // namespace tq
