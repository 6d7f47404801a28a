// Merging two to four binary files into one: each file is placed at a start
// offset of the person's choice, gaps are filled with a fill byte. The file
// list is the model of the merge dialog's grid; the merge reports through
// message boxes and writes the output under a temporary name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/views.h"

namespace tq {

// The merge dialog's fill value before anyone edits it.
inline constexpr const char* kMergeDefaultFill = "FF";

// The filter of the open and save dialogs while merging.
std::vector<FileFilter> MergeFileFilters();

// One file row of the grid (row 0, the titles, is not stored).
struct MergeFileRow {
    std::string number;     // column 0: row number in hex, "1" to "4"
    std::string fileName;   // column 1: full path
    std::string startText;  // column 2: start offset as typed, 8 upper-case hex digits when computed
    std::string endText;    // column 3: start + size - 1, 8 upper-case hex digits; empty while unknown or past 4 GiB
};

enum class MergeAddResult { Added, ListFull, CannotOpen };

class MergeFileList {
public:
    static constexpr std::size_t kMaxFiles = 4;

    const std::vector<MergeFileRow>& rows() const { return rows_; }

    // Appends a file after the last one: the first starts at 0, later ones
    // right after the previous row's end. A full list or a file whose size
    // cannot be read adds nothing.
    MergeAddResult AddFile(const std::string& path);
    // Removes the last file row; false when there is none.
    bool RemoveLast();
    // A change typed into a start cell (row counts file rows from 0): the
    // row's end is recomputed from the new start and the file's size read
    // again. While the text is no valid start or the file cannot be read, the
    // end stays empty; later rows are not touched.
    void SetStartText(std::size_t row, const std::string& text);

private:
    std::vector<MergeFileRow> rows_;
};

// The merge dialog's texts that are not fixed: errors the merge reports in
// the current language (0 Simplified Chinese, 1 Traditional Chinese, other
// English).
std::string MergeNotHexText(const std::string& text, int language);
std::string MergeCannotOpenText(const std::string& path, int language);
std::string MergeCannotWriteText(const std::string& path, int language);
std::string MergeTooLargeText(const std::string& path, int language);

// Merges the listed files into output: fill bytes up to each start, a start
// before the current end is appended at that end after a warning. Shows the
// merge's messages; true when the output was written completely. The fill,
// every start and every file are checked before the output is touched, and
// the output is replaced whole: on any failure (bad fill or start text, a
// listed file that cannot be read, a merge reaching beyond 4 GiB, an output
// that cannot be written) an existing output file stays as it was.
bool MergeFiles(const MergeFileList& list, const std::string& fillText, const std::filesystem::path& output,
                MessageView& messages, int language);

// The merge button: refuses fewer than two files, asks for the output file
// (cancel: nothing happens) and merges. True when a merged file was written.
bool ChooseOutputAndMerge(const MergeFileList& list, const std::string& fillText, FileDialogView& dialogs,
                            MessageView& messages, int language);

// The add button: asks for a file and appends it; an unreadable file is
// reported. True when a row was added.
bool ChooseAndAddMergeFile(MergeFileList& list, FileDialogView& dialogs, MessageView& messages, int language);

}  // namespace tq
