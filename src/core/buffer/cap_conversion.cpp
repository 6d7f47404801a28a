#include "core/buffer/cap_conversion.h"

#include <algorithm>
#include <string>

#include "core/texts/text_catalogue.h"

namespace tq {

ConversionReport ReadCap(SourceFile& file, const ImageReadOptions& options, Image& image) {
    ConversionReport report;
    const std::string source = file.path().string();
    if (file.size() <= kCapHeaderSize) {
        report.warnings.push_back(Text(options.language, TextId::CapHeaderOnly, {source, std::to_string(file.size())}));
        report.leftEmpty = true;
        return report;
    }
    report.imageSize = file.size() - kCapHeaderSize;
    image.address = 0;
    image.bytes.resize(static_cast<std::size_t>(std::min(report.imageSize, options.keepBytes)));
    // A source that shrank or failed while being read must not pass for a whole image.
    if (!file.Read(kCapHeaderSize, image.bytes.size(), image.bytes.data())) {
        image.bytes.clear();
        report.ok = false;
        report.error = Text(options.language, TextId::ImageFileUnreadable, {source});
    }
    return report;
}

ConversionReport CapToBin(const std::filesystem::path& source, const std::filesystem::path& destination) {
    return ConvertToBinaryFile(ReadCap, source, destination);
}

}  // namespace tq
