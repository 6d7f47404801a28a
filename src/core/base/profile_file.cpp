#include "core/base/profile_file.h"

#include <fstream>
#include <iterator>

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

// Compares GBK names without regard to the case of their ASCII letters;
// the trail byte of a two-byte character is never folded.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    size_t i = 0;
    while (i < a.size()) {
        const size_t length = GbkCharLength(a, i);
        if (length == 1) {
            if (Lower(a[i]) != Lower(b[i])) return false;
        } else if (a.substr(i, length) != b.substr(i, length)) {
            return false;
        }
        i += length;
    }
    return true;
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
        start = end + 1;
    }
    if (!crlf) profile.lineEnd_ = "\n";
    return profile;
}

std::optional<ProfileFile::KeyLine> ProfileFile::Find(std::string_view section, std::string_view key) const {
    const std::string wantedSection = Utf8ToGbk(section);
    const std::string wantedKey = Utf8ToGbk(key);
    std::optional<KeyLine> found;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view line = Trim(lines_[i]);
        if (!line.empty() && line.front() == '[') {
            if (found) break;  // only the first section of that name counts
            std::string_view name = line.substr(1);
            name = Trim(name.substr(0, FindAscii(name, ']')));
            if (SameName(name, wantedSection)) found = KeyLine{i, std::nullopt, i + 1};
            continue;
        }
        if (!found || line.empty()) continue;
        found->insertAt = i + 1;
        const size_t equals = FindAscii(line, '=');
        if (equals == std::string_view::npos) continue;
        if (SameName(Trim(line.substr(0, equals)), wantedKey)) {
            found->keyLine = i;
            break;
        }
    }
    return found;
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
        lines_.push_back(std::move(line));
    } else if (found->keyLine) {
        lines_[*found->keyLine] = std::move(line);
    } else {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(found->insertAt), std::move(line));
    }
}

std::string ProfileFile::Save() const {
    std::string bytes;
    for (const std::string& line : lines_) bytes += line + lineEnd_;
    return WriteFileAtomically(path_, bytes);
}

}  // namespace tq
