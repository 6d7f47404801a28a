// Private-profile (INI) files: the settings file and the language files.
// Sections and keys match without regard to case; a missing file, section or
// key gives the caller's default; a key present with an empty value gives an
// empty text; blanks around keys and values are dropped. The file is read
// once into memory and indexed, so many keys cost one read and one pass.
// Values are GBK on disk and UTF-8 here; a value longer than its limit is cut
// on a character boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tq {

class ProfileFile {
public:
    // Reads the file. A missing or unreadable file gives an empty profile;
    // ReadError() then says why an existing file could not be read.
    static ProfileFile Load(const std::filesystem::path& path);

    // The value, cut to maxBytes GBK bytes; the default is cut the same way.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback,
                           size_t maxBytes) const;
    // The value as a decimal integer: leading sign and digits, the rest
    // ignored; a value without digits reads as 0.
    int32_t ReadInt(std::string_view section, std::string_view key, int32_t fallback) const;

    // Sets key to value, adding the section and the key when they are
    // missing; every other line stays as it was. Line breaks in the value
    // become blanks so that a value cannot add lines of its own.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Writes the profile back to its path through a temporary file and a
    // rename. Returns an empty text or what failed.
    std::string Save() const;

    const std::filesystem::path& Path() const { return path_; }
    const std::string& ReadError() const { return readError_; }

private:
    struct KeyLine {
        size_t sectionLine;  // index of the section header
        std::optional<size_t> keyLine;
        size_t insertAt;     // where a new key of the section goes
    };
    std::optional<KeyLine> Find(std::string_view section, std::string_view key) const;
    std::optional<std::string_view> RawValue(std::string_view section, std::string_view key) const;

    // Where each section and key is, by name with its ASCII letters folded.
    // Only the first section of a name counts, and in it the first key of a
    // name. Lines are indexed in order as they are added.
    struct SectionIndex {
        size_t headerLine;
        size_t insertAt;
        std::unordered_map<std::string, size_t> keys;
    };
    void IndexLine(size_t line);
    void InsertLine(size_t at, std::string line, const std::string& section);

    std::filesystem::path path_;
    std::vector<std::string> lines_;  // GBK, without line ends
    std::unordered_map<std::string, SectionIndex> sections_;
    std::optional<std::string> openSection_;  // the section the next added line belongs to, if it counts
    std::string lineEnd_ = "\r\n";
    std::string readError_;
};

}  // namespace tq
