// Firmware package reader: the directory read from any file is what the
// file holds at each entry's place, and entry data is read only when the
// file holds all of it.
#include <algorithm>
#include <cstring>

#include "core/firmware/firmware_package.h"
#include "fuzz_support.h"

using namespace tq::fuzz;

namespace {
uint32_t Be24(const uint8_t* p) { return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Scratch("package.tqmv").string();
    WriteBytes(path, data, size);
    std::vector<tq::PackageEntry> entries;
    const tq::PackageStatus status = tq::ReadPackageDirectory(path, entries);
    Check(status != tq::PackageStatus::Unreadable, "a regular file is readable");
    if (status == tq::PackageStatus::NotFound) {
        Check(entries.empty(), "no entries without a package header");
        return 0;
    }
    Check(size >= 16, "a package header needs its 16 bytes");
    const size_t count = data[6], limit = size_t{data[7]} * 2048;
    Check(entries.size() <= count, "no more entries than the header counts");
    if (entries.size() < count) {
        // The directory may stop only at a truncated entry or at its limit.
        const size_t end = 128 + 32 * entries.size() + 32;
        Check(end > size || end > limit, "the directory stops only where it must");
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const tq::PackageEntry& e = entries[i];
        const uint8_t* raw = data + 128 + 32 * i;
        Check(e.name == std::string(reinterpret_cast<const char*>(raw), strnlen(reinterpret_cast<const char*>(raw), 26)),
              "the entry name is the slot's text");
        Check(e.offset == Be24(raw + 26) && e.length == Be24(raw + 29), "offset and length are the slot's");
        const bool inside = uint64_t{e.offset} + e.length <= size;
        Check(e.insideFile == inside, "inside the file exactly when the file holds the data");
        if (i >= 2) continue;  // reading every entry costs a file open each
        std::vector<uint8_t> bytes;
        const bool read = tq::ReadPackageBytes(path, e.offset, e.length, bytes);
        Check(read == inside, "entry data is read exactly when the file holds it");
        if (read) Check(bytes == std::vector<uint8_t>(data + e.offset, data + e.offset + e.length), "entry data is the file's");
    }
    for (const char* name : {tq::kVersionEntryName, tq::kImageEntryName}) {
        uint32_t offset = 0, length = 0;
        const bool found = tq::FindPackageEntry(path, name, offset, length);
        auto first = std::find_if(entries.begin(), entries.end(), [&](const tq::PackageEntry& e) { return e.name == name; });
        Check(found == (first != entries.end() && first->insideFile), "found exactly when the first such entry is whole");
        if (!found) continue;
        Check(offset == first->offset && length == first->length, "the first entry of that name is the one found");
        std::vector<uint8_t> bytes(data + offset, data + offset + length);
        const tq::PackageVersion version = tq::ParseVersionRecord(bytes);
        Check(version.dev.size() < tq::kVersionRecordSize && version.ver.size() < tq::kVersionRecordSize,
              "version texts come from within the 32-byte record");
    }
    return 0;
}
