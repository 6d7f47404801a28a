#include "core/firmware/firmware_package.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tq {

namespace {
constexpr size_t kHeaderReadSize = 16;
constexpr uint32_t kDirectoryStart = 128;
constexpr uint32_t kEntrySize = 32;
constexpr uint32_t kDirectoryUnit = 2048;
constexpr size_t kEntryNameSize = 26;

uint32_t Be24(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2]; }

// Opens the package and tells its size; false when it cannot be read at all
// (missing, a folder, no permission).
bool OpenPackage(const std::string& path, std::ifstream& in, uint64_t& size) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return false;
    in.open(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < 0) return false;
    size = static_cast<uint64_t>(end);
    in.seekg(0);
    return static_cast<bool>(in);
}

bool ReadAt(std::ifstream& in, uint64_t position, uint8_t* bytes, size_t count) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(position));
    in.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(count));
    return static_cast<size_t>(in.gcount()) == count;
}
}  // namespace

PackageStatus ReadPackageDirectory(const std::string& path, std::vector<PackageEntry>& entries) {
    entries.clear();
    std::ifstream in;
    uint64_t fileSize = 0;
    if (!OpenPackage(path, in, fileSize)) return PackageStatus::Unreadable;
    uint8_t header[kHeaderReadSize];
    if (!ReadAt(in, 0, header, sizeof header)) return PackageStatus::NotFound;
    if (header[0] != 3 && header[1] != 0x69) return PackageStatus::NotFound;
    const uint32_t count = header[6];
    const uint32_t limit = header[7] * kDirectoryUnit;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t position = kDirectoryStart + kEntrySize * i;
        if (position > limit) break;
        uint8_t raw[kEntrySize];
        if (!ReadAt(in, position, raw, sizeof raw)) break;  // a truncated directory ends here
        PackageEntry entry;
        const char* name = reinterpret_cast<const char*>(raw);
        entry.name.assign(name, strnlen(name, kEntryNameSize));
        entry.offset = Be24(raw + 26);
        entry.length = Be24(raw + 29);
        entry.insideFile = static_cast<uint64_t>(entry.offset) + entry.length <= fileSize;
        entries.push_back(std::move(entry));
    }
    return PackageStatus::Found;
}

PackageStatus LocatePackageEntry(const std::string& path, const std::string& name, uint32_t& offset,
                                 uint32_t& length) {
    std::vector<PackageEntry> entries;
    const PackageStatus status = ReadPackageDirectory(path, entries);
    if (status != PackageStatus::Found) return status;
    const auto match = std::find_if(entries.begin(), entries.end(), [&](const PackageEntry& e) { return e.name == name; });
    // An entry whose data the file does not hold is damage, not an image.
    if (match == entries.end() || !match->insideFile) return PackageStatus::NotFound;
    offset = match->offset;
    length = match->length;
    return PackageStatus::Found;
}

bool FindPackageEntry(const std::string& path, const std::string& name, uint32_t& offset, uint32_t& length) {
    return LocatePackageEntry(path, name, offset, length) == PackageStatus::Found;
}

bool ReadPackageBytes(const std::string& path, uint32_t offset, uint32_t length, std::vector<uint8_t>& bytes) {
    std::ifstream in;
    uint64_t fileSize = 0;
    if (!OpenPackage(path, in, fileSize)) return false;
    if (static_cast<uint64_t>(offset) + length > fileSize) return false;
    bytes.assign(length, 0);
    return length == 0 || ReadAt(in, offset, bytes.data(), length);
}

int GetRecordValue(const uint8_t* record, size_t size, const std::string& key, std::string& value) {
    if (key.empty()) return 240;
    size_t at = 0;
    while (at < size) {
        if (record[at] != static_cast<uint8_t>(key[0])) {
            ++at;
            continue;
        }
        size_t matched = 1;
        while (matched < key.size() && at + matched < size && record[at + matched] == static_cast<uint8_t>(key[matched]))
            ++matched;
        if (matched == key.size()) {
            // One separator character follows the key; the value runs to the
            // next CR. It is text, so it also ends at a zero byte.
            std::string found;
            for (size_t i = at + key.size() + 1; i < size && record[i] != '\r' && record[i] != 0; ++i)
                found += static_cast<char>(record[i]);
            value = found;
            return 0;
        }
        // A partial match skips the rest of its line.
        while (at < size && record[at] != '\n') ++at;
        if (at < size) ++at;
    }
    return 240;
}

PackageVersion ParseVersionRecord(const std::vector<uint8_t>& entryData) {
    const size_t size = std::min(entryData.size(), kVersionRecordSize);
    PackageVersion version;
    GetRecordValue(entryData.data(), size, "Dev", version.dev);
    GetRecordValue(entryData.data(), size, "VER", version.ver);
    return version;
}

bool IsPackageForThisProgrammer(const PackageVersion& version) {
    return version.dev == kPackageModel && version.ver == kPackageFormatVersion;
}

ImageDigest::ImageDigest() : digest_(DigestKind::Md5) {}

std::array<uint8_t, 16> ImageDigest::Final() {
    const std::vector<uint8_t> digest = digest_.Finish();
    std::array<uint8_t, 16> out{};
    std::copy(digest.begin(), digest.end(), out.begin());
    return out;
}

}  // namespace tq
