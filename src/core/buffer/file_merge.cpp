#include "core/buffer/file_merge.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "core/base/atomic_write.h"
#include "core/base/number_text.h"
#include "core/buffer/hex_field.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"

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

// Where one listed file goes in the output.
struct MergePiece {
    const MergeFileRow* row;
    uint64_t start;  // where its bytes begin (its start, or the end so far when that is later)
    uint64_t size;
};

constexpr uint64_t kMaxMergeBytes = uint64_t{1} << 32;  // offsets are 32-bit

// Reads every start and file size and places each file, before the output is
// touched; false after an error was shown. A start before the current end is
// appended at that end after a warning.
bool PlanMerge(const MergeFileList& list, std::vector<MergePiece>& pieces, MessageView& messages, int language) {
    uint64_t end = 0;
    for (const MergeFileRow& row : list.rows()) {
        uint32_t start = 0;
        if (!ParseHexNumber(row.startText, start)) {
            messages.ShowError(MergeNotHexText(row.startText, language));
            return false;
        }
        uint64_t size = 0;
        if (!ReadableSize(row.fileName, size)) {
            messages.ShowError(MergeCannotOpenText(row.fileName, language));
            return false;
        }
        if (start < end) messages.ShowWarning(Text(language, TextId::MergeStartTooSmall));
        const uint64_t placed = std::max<uint64_t>(start, end);
        if (placed + size > kMaxMergeBytes) {
            messages.ShowError(MergeTooLargeText(row.fileName, language));
            return false;
        }
        pieces.push_back({&row, placed, size});
        end = placed + size;
    }
    return true;
}

// Writes the planned files; false after an error was shown.
bool WriteMerge(const std::vector<MergePiece>& pieces, uint8_t fill, ReplacingFile& out, MessageView& messages,
                int language) {
    std::vector<char> chunk(kCopyChunk);
    uint64_t written = 0;
    const auto cannotWrite = [&] {
        messages.ShowError(MergeCannotWriteText(out.target().string(), language));
        return false;
    };
    for (const MergePiece& piece : pieces) {
        std::fill(chunk.begin(), chunk.end(), static_cast<char>(fill));
        while (written < piece.start) {
            const std::size_t part = static_cast<std::size_t>(std::min<uint64_t>(piece.start - written, chunk.size()));
            if (!out.Write(chunk.data(), part)) return cannotWrite();
            written += part;
        }
        std::ifstream in(piece.row->fileName, std::ios::binary);
        uint64_t copied = 0;
        while (in && copied < piece.size) {
            in.read(chunk.data(), static_cast<std::streamsize>(std::min<uint64_t>(chunk.size(), piece.size - copied)));
            const auto got = static_cast<std::size_t>(in.gcount());
            if (got == 0) break;
            if (!out.Write(chunk.data(), got)) return cannotWrite();
            copied += got;
        }
        // A read that failed or came up short must not pass for the whole file.
        if (copied != piece.size) {
            messages.ShowError(MergeCannotOpenText(piece.row->fileName, language));
            return false;
        }
        written += copied;
    }
    return true;
}

// "start + size - 1" in 8 hex digits; empty when the file reaches beyond 4 GiB.
std::string EndText(uint32_t start, uint64_t size) {
    if (start + size > kMaxMergeBytes) return {};
    return HexText(start + static_cast<uint32_t>(size) - 1, 8);
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
    rows_.push_back({number, path, HexText(start, 8), EndText(start, size)});
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
    entry.endText = ParseHexNumber(text, start) && ReadableSize(entry.fileName, size) ? EndText(start, size) : "";
}

std::string MergeNotHexText(const std::string& text, int language) {
    return Text(language, TextId::MergeBadHexValue, {text});
}

std::string MergeCannotOpenText(const std::string& path, int language) {
    return Text(language, TextId::MergeCannotOpen, {path});
}

std::string MergeTooLargeText(const std::string& path, int language) {
    return Text(language, TextId::MergeTooLarge, {path});
}

std::string MergeCannotWriteText(const std::string& path, int language) {
    return Text(language, TextId::MergeCannotWrite, {path});
}

bool MergeFiles(const MergeFileList& list, const std::string& fillText, const std::filesystem::path& output,
                MessageView& messages, int language) {
    if (list.rows().size() < 2) {
        messages.ShowWarning(Text(language, TextId::MergeTooFewFiles));
        return false;
    }
    // Everything is checked before the output is touched: a merge that cannot
    // be done leaves an existing output file as it was.
    uint32_t fill = 0;
    if (fillText.size() != 2) {
        messages.ShowWarning(Text(language, TextId::MergeBadFill));
        return false;
    }
    if (!ParseHexNumber(fillText, fill)) {
        messages.ShowError(MergeNotHexText(fillText, language));
        return false;
    }
    std::vector<MergePiece> pieces;
    if (!PlanMerge(list, pieces, messages, language)) return false;
    ReplacingFile out(output);
    if (!out.Open()) {
        messages.ShowError(MergeCannotWriteText(output.string(), language));
        return false;
    }
    if (!WriteMerge(pieces, static_cast<uint8_t>(fill), out, messages, language)) return false;
    if (!out.Commit()) {
        messages.ShowError(MergeCannotWriteText(output.string(), language));
        return false;
    }
    messages.ShowMessage(Text(language, TextId::MergeDone));
    return true;
}

bool ChooseOutputAndMerge(const MergeFileList& list, const std::string& fillText, FileDialogView& dialogs,
                            MessageView& messages, int language) {
    if (list.rows().size() < 2) {
        messages.ShowWarning(Text(language, TextId::MergeTooFewFiles));
        return false;
    }
    const std::string output = dialogs.ChooseSaveFile(Text(language, TextId::MergeSaveTitle), MergeFileFilters(), "", "");
    if (output.empty()) return false;
    return MergeFiles(list, fillText, output, messages, language);  // the path is used unchanged
}

bool ChooseAndAddMergeFile(MergeFileList& list, FileDialogView& dialogs, MessageView& messages, int language) {
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
