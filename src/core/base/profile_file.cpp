#include "core/base/profile_file.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "core/base/atomic_write.h"
#include "core/base/text_encoding.h"

namespace tq {
namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A GBK name with its ASCII letters folded to lower case; the trail byte of
// a two-byte character is never folded.
std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (size_t i = 0; i < folded.size(); i += GbkCharLength(folded, i)) folded[i] = Lower(folded[i]);
    return folded;
}

// Position of an ASCII character on a character boundary of a GBK text.
size_t FindAscii(std::string_view text, char wanted) {
    for (size_t i = 0; i < text.size(); i += GbkCharLength(text, i))
        if (text[i] == wanted) return i;
    return std::string_view::npos;
}

int32_t ParseDecimal(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value < (int64_t{1} << 40)) value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    // Settings hold 32-bit values; larger numbers keep their low 32 bits.
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

}  // namespace

ProfileFile ProfileFile::Load(const std::filesystem::path& path) {
    ProfileFile profile;
    profile.path_ = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return profile;
    std::string bytes;
    bool readable = std::filesystem::is_regular_file(path, ec);
    if (readable) {
        std::ifstream file(path, std::ios::binary);
        if (file) bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        readable = file.good() || file.eof();
    }
    if (!readable) {
        profile.readError_ = "cannot read " + path.string();
        return profile;
    }
    size_t start = 0;
    bool crlf = bytes.empty();
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            crlf = true;
        }
        profile.lines_.push_back(std::move(line));
        profile.IndexLine(profile.lines_.size() - 1);
        start = end + 1;
    }
    if (!crlf) profile.lineEnd_ = "\n";
    return profile;
}

void ProfileFile::IndexLine(size_t at) {
    const std::string_view line = Trim(lines_[at]);
    if (!line.empty() && line.front() == '[') {
        std::string_view name = line.substr(1);
        name = Trim(name.substr(0, FindAscii(name, ']')));
        std::string folded = FoldedName(name);
        const bool added = sections_.try_emplace(folded, SectionIndex{at, at + 1, {}}).second;
        openSection_ = added ? std::optional<std::string>(std::move(folded)) : std::nullopt;
        return;
    }
    if (!openSection_ || line.empty()) return;
    SectionIndex& section = sections_.at(*openSection_);
    section.insertAt = at + 1;
    const size_t equals = FindAscii(line, '=');
    if (equals != std::string_view::npos) section.keys.try_emplace(FoldedName(Trim(line.substr(0, equals))), at);
}

// A key line added at the end of its section, in front of later sections.
void ProfileFile::InsertLine(size_t at, std::string line, const std::string& section) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    for (auto& [name, index] : sections_) {
        if (index.headerLine >= at) ++index.headerLine;
        if (index.insertAt > at) ++index.insertAt;
        for (auto& [key, keyLine] : index.keys)
            if (keyLine >= at) ++keyLine;
    }
    std::optional<std::string> open = std::exchange(openSection_, section);
    IndexLine(at);
    openSection_ = std::move(open);
}

std::optional<ProfileFile::KeyLine> ProfileFile::Find(std::string_view section, std::string_view key) const {
    const auto found = sections_.find(FoldedName(Utf8ToGbk(section)));
    if (found == sections_.end()) return std::nullopt;
    const SectionIndex& index = found->second;
    const auto keyLine = index.keys.find(FoldedName(Utf8ToGbk(key)));
    if (keyLine == index.keys.end()) return KeyLine{index.headerLine, std::nullopt, index.insertAt};
    return KeyLine{index.headerLine, keyLine->second, index.insertAt};
}

std::optional<std::string_view> ProfileFile::RawValue(std::string_view section, std::string_view key) const {
    const std::optional<KeyLine> found = Find(section, key);
    if (!found || !found->keyLine) return std::nullopt;
    const std::string_view line = lines_[*found->keyLine];
    return Trim(line.substr(FindAscii(line, '=') + 1));
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback,
                                    size_t maxBytes) const {
    // Bytes that are no GBK become U+FFFD, which takes more than one byte in
    // GBK form again: cut once more, so the text keeps within the limit.
    if (const auto raw = RawValue(section, key)) return CutToGbkBytes(GbkToUtf8(CutGbk(*raw, maxBytes)), maxBytes);
    return CutToGbkBytes(fallback, maxBytes);
}

int32_t ProfileFile::ReadInt(std::string_view section, std::string_view key, int32_t fallback) const {
    if (const auto raw = RawValue(section, key)) return ParseDecimal(*raw);
    return fallback;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string oneLine(value);
    for (char& c : oneLine)
        if (c == '\r' || c == '\n') c = ' ';
    std::string line = Utf8ToGbk(key) + "=" + Utf8ToGbk(oneLine);
    const std::optional<KeyLine> found = Find(section, key);
    if (!found) {
        lines_.push_back("[" + Utf8ToGbk(section) + "]");
        IndexLine(lines_.size() - 1);
        lines_.push_back(std::move(line));
        IndexLine(lines_.size() - 1);
    } else if (found->keyLine) {
        lines_[*found->keyLine] = std::move(line);  // the same key, so the index holds
    } else {
        InsertLine(found->insertAt, std::move(line), FoldedName(Utf8ToGbk(section)));
    }
}

std::string ProfileFile::Save() const {
    std::string bytes;
    for (const std::string& line : lines_) bytes += line + lineEnd_;
    return WriteFileAtomically(path_, bytes);
}

}  // namespace tq
