#include "core/buffer/file_merge.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "core/base/atomic_write.h"
#include "core/base/number_text.h"
#include "core/buffer/hex_field.h"
#include "core/texts/language.h"

namespace tq {
namespace {

constexpr std::size_t kCopyChunk = std::size_t{1} << 20;



// The size of a file that can be opened for reading; false for anything else
// (missing, unreadable, a folder).
bool ReadableSize(const std::string& path, uint64_t& size) {
    std::error_code ec;
    const uint64_t bytes = std::filesystem::file_size(path, ec);
    if (ec || !std::ifstream(path, std::ios::binary)) return false;
    size = bytes;
    return true;
}

// Writes the merged files; false after an error was shown.
bool WriteMerge(const MergeFileList& list, uint8_t fill, ReplacingFile& out, MessageView& messages, int language) {
    std::vector<char> chunk(kCopyChunk);
    uint64_t written = 0;
    const auto cannotWrite = [&] {
        messages.ShowError(MergeCannotWriteText(out.target().string(), language));
        return false;
    };
    for (const MergeFileRow& row : list.rows()) {
        uint32_t start = 0;
        if (!ParseHexNumber(row.startText, start)) {
            messages.ShowError(MergeNotHexText(row.startText, language));
            return false;
        }
        if (start > written) {
            std::fill(chunk.begin(), chunk.end(), static_cast<char>(fill));
            while (written < start) {
                const std::size_t part = static_cast<std::size_t>(std::min<uint64_t>(start - written, chunk.size()));
                if (!out.Write(chunk.data(), part)) return cannotWrite();
                written += part;
            }
        } else if (start < written) {
            // Appended at the current end: nothing already written is overwritten.
            messages.ShowWarning(kMergeStartTooSmall);
        }
        uint64_t size = 0;
        std::ifstream in(row.fileName, std::ios::binary);
        if (!in || !ReadableSize(row.fileName, size)) {
            messages.ShowError(MergeCannotOpenText(row.fileName, language));
            return false;
        }
        uint64_t copied = 0;
        while (in) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            const auto got = static_cast<std::size_t>(in.gcount());
            if (got == 0) break;
            if (!out.Write(chunk.data(), got)) return cannotWrite();
            copied += got;
        }
        // A read that failed or came up short must not pass for the whole file.
        if (in.bad() || copied != size) {
            messages.ShowError(MergeCannotOpenText(row.fileName, language));
            return false;
        }
        written += copied;
    }
    return true;
}

}  // namespace

std::vector<FileFilter> MergeFileFilters() { return {{"Bin File", "*.bin"}, {"ALL", "*.*"}}; }

MergeAddResult MergeFileList::AddFile(const std::string& path) {
    if (rows_.size() >= kMaxFiles) return MergeAddResult::ListFull;
    uint64_t size = 0;
    if (!ReadableSize(path, size)) return MergeAddResult::CannotOpen;
    uint32_t start = 0;
    if (!rows_.empty() && ParseHexNumber(rows_.back().endText, start)) ++start;
    char number[4];
    std::snprintf(number, sizeof number, "%zX", rows_.size() + 1);
    // Offsets are 32-bit, like the 8-digit cells that show them.
    rows_.push_back({number, path, HexText(start, 8), HexText(start + static_cast<uint32_t>(size) - 1, 8)});
    return MergeAddResult::Added;
}

bool MergeFileList::RemoveLast() {
    if (rows_.empty()) return false;
    rows_.pop_back();
    return true;
}

void MergeFileList::SetStartText(std::size_t row, const std::string& text) {
    if (row >= rows_.size()) return;
    MergeFileRow& entry = rows_[row];
    entry.startText = text;
    uint32_t start = 0;
    uint64_t size = 0;
    entry.endText = ParseHexNumber(text, start) && ReadableSize(entry.fileName, size)
                        ? HexText(start + static_cast<uint32_t>(size) - 1, 8)
                        : std::string();
}

std::string MergeNotHexText(const std::string& text, int language) {
    return "'" + text + "' " +
           Triplet(language, "不是有效的十六进制数值！", "不是有效的十六進制數值！", "is not a valid hexadecimal value!");
}

std::string MergeCannotOpenText(const std::string& path, int language) {
    return Triplet(language, "无法打开文件：", "無法打開文件：", "Cannot open the file: ") + path;
}

std::string MergeCannotWriteText(const std::string& path, int language) {
    return Triplet(language, "无法写入文件：", "無法寫入文件：", "Cannot write the file: ") + path;
}

bool MergeFiles(const MergeFileList& list, const std::string& fillText, const std::filesystem::path& output,
                MessageView& messages, int language) {
    if (list.rows().size() < 2) {
        messages.ShowWarning(kMergeTooFewFiles);
        return false;
    }
    ReplacingFile out(output);
    if (!out.Open()) {
        messages.ShowError(MergeCannotWriteText(output.string(), language));
        return false;
    }
    uint32_t fill = 0;
    bool merged = false;
    if (fillText.size() != 2) {
        messages.ShowWarning(kMergeBadFill);
    } else if (!ParseHexNumber(fillText, fill)) {
        messages.ShowError(MergeNotHexText(fillText, language));
    } else {
        merged = WriteMerge(list, static_cast<uint8_t>(fill), out, messages, language);
    }
    if (!merged) {
        // The output chosen for a merge that failed is left empty, never half-merged.
        out.CommitEmpty();
        return false;
    }
    if (!out.Commit()) {
        messages.ShowError(MergeCannotWriteText(output.string(), language));
        return false;
    }
    messages.ShowMessage(kMergeDone);
    return true;
}

bool btnMergeMergeFileClick(const MergeFileList& list, const std::string& fillText, FileDialogView& dialogs,
                            MessageView& messages, int language) {
    if (list.rows().size() < 2) {
        messages.ShowWarning(kMergeTooFewFiles);
        return false;
    }
    const std::string output = dialogs.ChooseSaveFile(kMergeSaveTitle, MergeFileFilters(), "", "");
    if (output.empty()) return false;
    return MergeFiles(list, fillText, output, messages, language);  // the path is used unchanged
}

bool btnMergeAddFileClick(MergeFileList& list, FileDialogView& dialogs, MessageView& messages, int language) {
    if (list.rows().size() >= MergeFileList::kMaxFiles) return false;
    const std::string path = dialogs.ChooseOpenFile("", MergeFileFilters(), "", "");
    if (path.empty()) return false;
    if (list.AddFile(path) == MergeAddResult::CannotOpen) {
        messages.ShowError(MergeCannotOpenText(path, language));
        return false;
    }
    return true;
}

}  // namespace tq
