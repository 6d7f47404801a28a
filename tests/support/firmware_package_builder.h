// Builds firmware packages byte by byte: a valid one by default, with every
// header and directory field open to change so damaged ones can be made too.
// Used by the tests and by the tqmkfw tool.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace tq::testing {

struct PackageEntrySpec {
    std::string name;
    std::vector<uint8_t> data;
    std::optional<uint32_t> offset;  // default: where the data is placed
    std::optional<uint32_t> length;  // default: data size
};

class FirmwarePackageBuilder {
public:
    uint8_t formatByte0 = 3;
    uint8_t formatByte1 = 0;
    std::optional<uint8_t> entryCount;      // E; default: number of entries
    std::optional<uint8_t> directoryUnits;  // D (x 2048 bytes); default: enough for the directory
    std::vector<PackageEntrySpec> entries;

    FirmwarePackageBuilder& Add(std::string name, std::vector<uint8_t> data) {
        entries.push_back({std::move(name), std::move(data), {}, {}});
        return *this;
    }

    std::vector<uint8_t> Build() const {
        const size_t directoryEnd = 128 + 32 * entries.size();
        const uint8_t units = directoryUnits.value_or(static_cast<uint8_t>((directoryEnd + 2047) / 2048));
        std::vector<uint8_t> bytes(std::max<size_t>(directoryEnd, static_cast<size_t>(units) * 2048), 0);
        bytes[0] = formatByte0;
        bytes[1] = formatByte1;
        bytes[6] = entryCount.value_or(static_cast<uint8_t>(entries.size()));
        bytes[7] = units;
        for (size_t i = 0; i < entries.size(); ++i) {
            const PackageEntrySpec& e = entries[i];
            const uint32_t offset = e.offset.value_or(static_cast<uint32_t>(bytes.size()));
            const uint32_t length = e.length.value_or(static_cast<uint32_t>(e.data.size()));
            uint8_t* slot = bytes.data() + 128 + 32 * i;
            for (size_t c = 0; c < e.name.size() && c < 26; ++c) slot[c] = static_cast<uint8_t>(e.name[c]);
            Put24(slot + 26, offset);
            Put24(slot + 29, length);
            if (!e.offset) bytes.insert(bytes.end(), e.data.begin(), e.data.end());
        }
        return bytes;
    }

    // Writes a temporary file beside the target and renames it over the target.
    bool WriteTo(const std::string& path) const {
        const std::vector<uint8_t> bytes = Build();
        const std::string temporary = path + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!out.flush()) return false;
        }
        std::error_code ec;
        std::filesystem::rename(temporary, path, ec);
        if (ec) std::filesystem::remove(temporary, ec);
        return !ec;
    }

private:
    static void Put24(uint8_t* at, uint32_t value) {
        at[0] = static_cast<uint8_t>(value >> 16);
        at[1] = static_cast<uint8_t>(value >> 8);
        at[2] = static_cast<uint8_t>(value);
    }
};

// "Dev=MODEL\r\nVER=VERSION\r\n", the version record a package carries.
inline std::vector<uint8_t> VersionRecord(const std::string& model = "TQM7300B", const std::string& version = "001") {
    const std::string text = "Dev=" + model + "\r\nVER=" + version + "\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

// A package with a version record and an image, in the usual entry order.
inline FirmwarePackageBuilder FirmwarePackage(const std::vector<uint8_t>& image, const std::string& model = "TQM7300B",
                                              const std::string& version = "001") {
    FirmwarePackageBuilder builder;
    builder.Add("ver.bin", VersionRecord(model, version)).Add("iap.bin", image);
    return builder;
}

// Image bytes that differ from block to block, so a misplaced block shows.
inline std::vector<uint8_t> SampleImage(size_t size) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return image;
}

}  // namespace tq::testing
