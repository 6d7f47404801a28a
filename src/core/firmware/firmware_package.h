// Firmware packages: a 128-byte header, a directory of 32-byte entries
// (name, 24-bit offset, 24-bit length, big-endian) and the entries' data.
// The update reads two entries: "ver.bin" (which model and format the
// package is for) and "iap.bin" (the image sent to the programmer).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/digest.h"

namespace tq {

inline constexpr const char* kVersionEntryName = "ver.bin";
inline constexpr const char* kImageEntryName = "iap.bin";
inline constexpr size_t kVersionRecordSize = 32;
inline constexpr const char* kPackageModel = "TQM7300B";
inline constexpr const char* kPackageFormatVersion = "001";

struct PackageEntry {
    std::string name;
    uint32_t offset = 0;
    uint32_t length = 0;
    bool insideFile = true;  // offset + length lie within the file
};

enum class PackageStatus {
    Found,       // the entry exists and its data lies within the file
    NotFound,    // not a package, no such entry, or the entry is damaged
    Unreadable,  // the file cannot be opened or read
};

// The directory as far as it can be read: entries up to the count in the
// header and the header-and-directory limit, stopping at a truncated one.
// Unreadable when the file cannot be opened, NotFound when the header is
// not a package header.
PackageStatus ReadPackageDirectory(const std::string& path, std::vector<PackageEntry>& entries);

// The first entry with this exact name. Offset and length are set only
// when Found; an entry whose data reaches beyond the file is NotFound.
PackageStatus LocatePackageEntry(const std::string& path, const std::string& name, uint32_t& offset,
                                 uint32_t& length);

// The same lookup as a plain yes or no.
bool FindPackageEntry(const std::string& path, const std::string& name, uint32_t& offset, uint32_t& length);

// Reads exactly `length` bytes at `offset`; false when the file cannot be
// opened or is shorter.
bool ReadPackageBytes(const std::string& path, uint32_t offset, uint32_t length, std::vector<uint8_t>& bytes);

// The value after `key` and one separator character, up to the next CR.
// 0 when found (value set), 240 when not (value untouched).
int GetRecordValue(const uint8_t* record, size_t size, const std::string& key, std::string& value);

struct PackageVersion {
    std::string dev;  // the model the package is for
    std::string ver;  // the package format version
};

// Reads "Dev" and "VER" from the first 32 bytes of the "ver.bin" data (or
// fewer when the entry is shorter); a missing key leaves its text empty.
PackageVersion ParseVersionRecord(const std::vector<uint8_t>& entryData);

// True when the package is meant for this programmer and format.
bool IsPackageForThisProgrammer(const PackageVersion& version);

// MD5 over the image blocks as they were sent.
class ImageDigest {
public:
    ImageDigest();
    // False when the platform offers no MD5 (a FIPS-only build, for example).
    bool ok() const { return digest_.ok(); }
    void Update(const uint8_t* bytes, size_t count) { digest_.Update(bytes, count); }
    std::array<uint8_t, 16> Final();

private:
    Digest digest_;
};

}  // namespace tq
