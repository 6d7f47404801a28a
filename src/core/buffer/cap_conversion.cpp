#include "core/buffer/cap_conversion.h"

#include <algorithm>
#include <string>

namespace tq {

ConversionReport ReadCap(SourceFile& file, const ImageReadOptions& options, Image& image) {
    ConversionReport report;
    const std::string source = file.path().string();
    if (file.size() <= kCapHeaderSize) {
        report.warnings.push_back(source + " holds " + std::to_string(file.size()) +
                                  " bytes, no more than the 2048-byte header; the image is empty");
        return report;
    }
    report.imageSize = file.size() - kCapHeaderSize;
    image.address = 0;
    image.bytes.resize(static_cast<std::size_t>(std::min(report.imageSize, options.keepBytes)));
    // A source that shrank or failed while being read must not pass for a whole image.
    if (!file.Read(kCapHeaderSize, image.bytes.size(), image.bytes.data())) {
        image.bytes.clear();
        report.ok = false;
        report.error = "cannot read " + source;
    }
    return report;
}

ConversionReport CapToBin(const std::filesystem::path& source, const std::filesystem::path& destination) {
    return ConvertToBinaryFile(ReadCap, source, destination);
}

}  // namespace tq
