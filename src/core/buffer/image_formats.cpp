#include "core/buffer/image_formats.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "core/buffer/source_text.h"
#include "core/texts/text_catalogue.h"

namespace tq {

// The codecs of the formats, each defined in the format's own file.
ConversionReport ReadIntelHex(SourceFile& file, const ImageReadOptions& options, Image& image);
bool WriteIntelHex(const ImageSpan& image, std::string_view extension, const ByteSink& sink, std::string& error,
                   int32_t language);
ConversionReport ReadSrec(SourceFile& file, const ImageReadOptions& options, Image& image);
bool WriteSrec(const ImageSpan& image, std::string_view extension, const ByteSink& sink, std::string& error,
               int32_t language);
ConversionReport ReadCap(SourceFile& file, const ImageReadOptions& options, Image& image);

namespace {

// A binary file is the image itself, from address 0.
ConversionReport ReadBinary(SourceFile& file, const ImageReadOptions& options, Image& image) {
    ConversionReport report;
    report.imageSize = file.size();
    image.address = 0;
    image.bytes.resize(static_cast<std::size_t>(std::min(file.size(), options.keepBytes)));
    if (!file.Read(0, image.bytes.size(), image.bytes.data())) {
        image.bytes.clear();
        report.ok = false;
        report.error = Text(options.language, TextId::ImageFileUnreadable, {file.path().string()});
    }
    return report;
}

bool WriteBinary(const ImageSpan& image, std::string_view, const ByteSink& sink, std::string&, int32_t) {
    return image.bytes.empty() || sink(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
}

// Rows in the order of the open dialog's filters.
const std::vector<ImageFormatRow> kFormats = {
    {"binary", "bin", "Bin File", ReadBinary, WriteBinary, true},
    {"CAP", "cap", "Cap File", ReadCap, nullptr, false},
    {"Intel HEX", "hex", "Hex File", ReadIntelHex, WriteIntelHex, true},
    {"ROM image", "rom", "Rom File", ReadBinary, WriteBinary, false},
    {"S-record", "srec s19 s28 s37", "S-Record File", ReadSrec, WriteSrec, true},
};

bool HasExtension(std::string_view extensions, std::string_view extension) {
    while (!extensions.empty()) {
        const std::size_t space = extensions.find(' ');
        if (extensions.substr(0, space) == extension) return true;
        if (space == std::string_view::npos) break;
        extensions.remove_prefix(space + 1);
    }
    return false;
}

// "*.srec *.s19" for "srec s19".
std::string FilterPattern(std::string_view extensions) {
    std::string pattern = "*.";
    for (char c : extensions) pattern += c == ' ' ? std::string(" *.") : std::string(1, c);
    return pattern;
}

}  // namespace

SourceFile::~SourceFile() {
    if (file_) std::fclose(file_);
}

bool SourceFile::Open(std::string& error, int32_t language) {
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(path_, ec);
    errno = 0;
    file_ = folder ? nullptr : std::fopen(path_.string().c_str(), "rb");
    const uint64_t size = file_ ? std::filesystem::file_size(path_, ec) : 0;
    if (!file_ || ec) {
        const std::string why = folder ? std::strerror(EISDIR) : ec ? ec.message() : std::strerror(errno);
        error = why.empty() ? Text(language, TextId::ImageFileUnopenable, {path_.string()})
                            : Text(language, TextId::ImageFileUnopenableWhy, {path_.string(), why});
        return false;
    }
    size_ = size;
    return true;
}

bool SourceFile::Read(uint64_t offset, std::size_t count, void* out) {
    if (count == 0) return true;
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, count, file_) == count;
}

bool SourceFile::ReadAll(std::string& text) {
    // resize_and_overwrite would skip the zeroing; the read dwarfs it.
    text.resize(static_cast<std::size_t>(size_));
    if (!Read(0, text.size(), text.data())) return false;
    // A file that grew while being read must not pass for a whole one.
    char extra;
    return std::fread(&extra, 1, 1, file_) == 0;
}

const std::vector<ImageFormatRow>& ImageFormats() { return kFormats; }

std::string FileExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? path.substr(0, 10) : path.substr(dot + 1, 10);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

const ImageFormatRow& ImageFormatOf(const std::string& path) {
    const std::string extension = FileExtension(path);
    for (const ImageFormatRow& row : kFormats)
        if (HasExtension(row.extensions, extension)) return row;
    return kFormats.front();
}

bool IsBinaryFormat(const ImageFormatRow& format) { return format.read == ReadBinary; }

std::vector<FileFilter> OpenFileFilters() {
    std::vector<FileFilter> filters;
    for (const ImageFormatRow& row : kFormats)
        filters.push_back({std::string(row.filterName), FilterPattern(row.extensions)});
    filters.push_back({"ALL", "*.*"});
    return filters;
}

std::vector<FileFilter> OpenFileFilters(int32_t language) {
    std::vector<FileFilter> filters = OpenFileFilters();
    std::string every;
    for (const ImageFormatRow& row : kFormats) every += (every.empty() ? "" : " ") + FilterPattern(row.extensions);
    filters.insert(filters.begin(), {Text(language, TextId::AllSupportedFiles), every});
    return filters;
}

std::vector<FileFilter> SaveFileFilters() {
    std::vector<FileFilter> filters;
    for (const ImageFormatRow& row : kFormats)
        if (row.write && row.offeredForSave) filters.push_back({std::string(row.filterName), FilterPattern(row.extensions)});
    filters.push_back({"ALL", "*.*"});
    return filters;
}

ConversionReport ReadImageFile(const std::filesystem::path& path, const ImageReadOptions& options, Image& image) {
    SourceFile file(path);
    ConversionReport report;
    if (!file.Open(report.error, options.language)) {
        report.ok = false;
        return report;
    }
    return ImageFormatOf(path.string()).read(file, options, image);
}

FileImage::FileImage() = default;
FileImage::~FileImage() = default;

ConversionReport FileImage::Read(const std::filesystem::path& path, const ImageReadOptions& options) {
    SourceFile file(path);
    ConversionReport report;
    if (!file.Open(report.error, options.language)) {
        report.ok = false;
        return report;
    }
    const ImageFormatRow& format = ImageFormatOf(path.string());
    if (!IsBinaryFormat(format)) {
        report = format.read(file, options, image_);
        span_ = {image_.address, image_.bytes};
        return report;
    }
    mapped_ = std::make_unique<SourceText>();
    if (!mapped_->Load(file)) {
        report.ok = false;
        report.error = Text(options.language, TextId::ImageFileUnreadable, {path.string()});
        return report;
    }
    const std::string_view bytes = mapped_->text();
    report.imageSize = bytes.size();
    span_ = {0, {reinterpret_cast<const uint8_t*>(bytes.data()),
                 static_cast<std::size_t>(std::min<uint64_t>(bytes.size(), options.keepBytes))}};
    return report;
}

bool WriteImageFile(const std::filesystem::path& path, const ImageSpan& image, Durability durability,
                    std::string& error, int32_t language) {
    const ImageFormatRow& format = ImageFormatOf(path.string());
    if (!format.write) {
        error = Text(language, TextId::FormatReadOnly, {path.string(), format.name});
        return false;
    }
    std::string why;
    ReplacingFile file(path, durability);
    const ByteSink sink = [&file](const char* data, std::size_t size) { return file.Write(data, size); };
    // A writer checks its addresses before it writes; on any failure the
    // temporary file goes and the target stays as it was.
    if (file.Open() && format.write(image, FileExtension(path.string()), sink, why, language) && file.Commit()) return true;
    error = why.empty() ? file.error() : path.string() + ": " + why;
    return false;
}

ConversionReport ConvertToBinaryFile(ImageReader reader, const std::filesystem::path& source,
                                     const std::filesystem::path& destination, const ImageReadOptions& options) {
    ConversionReport report;
    ReplacingFile output(destination, Durability::Flushed);  // the source stays: it can be converted again
    if (!output.Open()) {
        report.ok = false;
        report.error = output.error();
        return report;
    }
    SourceFile file(source);
    Image image;
    if (!file.Open(report.error, options.language)) {
        report.ok = false;
    } else {
        report = reader(file, options, image);
    }
    if (!report.ok) {
        output.CommitEmpty();
        return report;
    }
    if (!output.Write(image.bytes.data(), image.bytes.size()) || !output.Commit()) {
        report.ok = false;
        report.error = output.error();
    }
    return report;
}

}  // namespace tq
