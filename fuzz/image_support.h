// Shared by the HEX and S-record targets: a reader and writer of the format
// table called directly, without the converter's output file, so that each
// input costs as few file operations as the checks need.
#pragma once

#include <string>

#include "core/buffer/image_formats.h"
#include "fuzz_support.h"

namespace tq::fuzz {

struct ReadBack {
    tq::ConversionReport report;
    tq::Image image;
};

// Reads `text` as the format of `name`'s extension, images up to `limit` bytes.
inline ReadBack ReadAsFormat(const std::string& text, const std::string& name, uint64_t limit) {
    const auto path = Scratch(name);
    WriteBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    tq::SourceFile file(path);
    ReadBack got;
    tq::ImageReadOptions options;
    options.maxImageBytes = limit;
    Check(file.Open(got.report.error), "a scratch file opens");
    got.report = tq::ImageFormatOf(name).read(file, options, got.image);
    return got;
}

// The image as the format of `name`'s extension writes it; false when its
// addresses do not fit the format.
inline bool WriteAsFormat(const tq::Image& image, const std::string& name, std::string& text) {
    text.clear();
    std::string error;
    const tq::ByteSink sink = [&text](const char* data, std::size_t size) {
        text.append(data, size);
        return true;
    };
    return tq::ImageFormatOf(name).write({image.address, image.bytes}, tq::FileExtension(name), sink, error, 2);
}

}  // namespace tq::fuzz
