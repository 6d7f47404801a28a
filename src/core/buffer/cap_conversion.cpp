#include "core/buffer/cap_conversion.h"

#include <fstream>
#include <string>
#include <vector>

#include "core/base/atomic_write.h"

namespace tq {

ConversionReport CapToBin(const std::filesystem::path& source, const std::filesystem::path& destination) {
    ConversionReport report;
    auto fail = [&report](std::string error) {
        report.ok = false;
        report.error = std::move(error);
        return report;
    };

    ReplacingFile output(destination, Durability::Flushed);  // the source stays: it can be converted again
    if (!output.Open()) return fail(output.error());

    std::error_code sizeError;
    const uint64_t sourceSize = std::filesystem::file_size(source, sizeError);
    std::ifstream in(source, std::ios::binary);
    if (sizeError || !in) {
        output.CommitEmpty();
        return fail("cannot open " + source.string() + (sizeError ? ": " + sizeError.message() : ""));
    }
    if (sourceSize <= kCapHeaderSize) {
        report.warnings.push_back(source.string() + " holds " + std::to_string(sourceSize) +
                                  " bytes, no more than the 2048-byte header; the image is empty");
        if (!output.Commit()) return fail(output.error());
        return report;
    }

    in.seekg(static_cast<std::streamoff>(kCapHeaderSize));
    std::vector<char> chunk(std::size_t{1} << 20);
    uint64_t left = sourceSize - kCapHeaderSize;
    while (left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(left, chunk.size()));
        in.read(chunk.data(), static_cast<std::streamsize>(want));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        // A source that shrank or failed while being read must not pass for a whole image.
        if (got != want) {
            output.CommitEmpty();
            return fail("cannot read " + source.string());
        }
        if (!output.Write(chunk.data(), got)) return fail(output.error());
        left -= got;
    }
    if (!output.Commit()) return fail(output.error());
    return report;
}

}  // namespace tq
