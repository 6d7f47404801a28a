// The file formats an image is read from and written to, in one table: each
// row names the format, its extensions and dialog filter, and the routines
// that read and write it. Open, save, import, drop, `convert`, the chip
// commands' files and the file dialogs all find their format here; a new
// format is one file with its reader and writer plus its row in
// image_formats.cpp. Nothing here writes a scratch file: images are read
// into memory and written from memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/atomic_write.h"
#include "core/base/views.h"
#include "core/buffer/conversion_report.h"
#include "core/buffer/image.h"
#include "core/buffer/text_block.h"

namespace tq {

// The largest image a text file may describe: far beyond any chip's capacity.
inline constexpr uint64_t kMaxHexImageBytes = uint64_t{512} << 20;

// Hears how many bytes of the source were handled of how many, about once a megabyte.
using ConversionProgress = std::function<void(uint64_t done, uint64_t total)>;

struct ImageReadOptions {
    uint64_t maxImageBytes = kMaxHexImageBytes;
    // A format that holds the image as it is (binary, CAP) reads no more than
    // this many of its bytes; the report still gives the whole length.
    uint64_t keepBytes = UINT64_MAX;
    ConversionProgress progress;
    int32_t language = 2;  // of the error and warnings; English unless told
};

// A file being read: opened once, read in large pieces.
class SourceFile {
public:
    explicit SourceFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // False with `error` ("cannot open PATH: why", in `language`) when the file cannot be opened.
    bool Open(std::string& error, int32_t language = 2);
    uint64_t size() const { return size_; }
    const std::filesystem::path& path() const { return path_; }
    // Reads `count` bytes from `offset` into `out`; false when fewer came.
    bool Read(uint64_t offset, std::size_t count, void* out);
    // The whole file as text; false when it could not be read whole.
    bool ReadAll(std::string& text);

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
};

// Reads the image from the file. ok false with `error` naming the file when
// it cannot be read or holds a record that cannot be placed; an image left
// empty for a reason says why in a warning and sets leftEmpty.
using ImageReader = ConversionReport (*)(SourceFile& file, const ImageReadOptions& options, Image& image);
// Writes the image; `extension` (lower case) may choose among the format's
// variants. False with `error` set when the addresses do not fit the format,
// or with `error` empty when the sink refused the text.
using ImageWriter = bool (*)(const ImageSpan& image, std::string_view extension, const ByteSink& sink,
                             std::string& error, int32_t language);

struct ImageFormatRow {
    std::string_view name;        // as messages name it
    std::string_view extensions;  // lower case, separated by spaces; the first is the usual one
    std::string_view filterName;  // the file dialogs' filter text
    ImageReader read;
    ImageWriter write;      // null: the format is read, never written
    bool offeredForSave;    // listed in the save dialog's filters
};

// Every format, in the order the open dialog lists them. The first row,
// binary, is also the format of every extension no row names.
const std::vector<ImageFormatRow>& ImageFormats();

// The text after the last "." of the path, at most 10 characters, lower case;
// the first 10 characters of the path when it holds no ".".
std::string FileExtension(const std::string& path);

// The row whose extensions hold the path's extension; binary for any other.
const ImageFormatRow& ImageFormatOf(const std::string& path);
bool IsBinaryFormat(const ImageFormatRow& format);

// The open dialog's filters (every format, then all files) and the save
// dialog's (the formats offered for saving, binary first, then all files).
std::vector<FileFilter> OpenFileFilters();
std::vector<FileFilter> SaveFileFilters();
// The open dialogs' filters a person sees: "All supported files" with every
// format's extensions first, then those of OpenFileFilters().
std::vector<FileFilter> OpenFileFilters(int32_t language);

// Reads the file in the format its extension names.
ConversionReport ReadImageFile(const std::filesystem::path& path, const ImageReadOptions& options, Image& image);

class SourceText;

// The image of a file for a single pass over it, as `convert` makes: a
// binary file's bytes are mapped where the system allows it rather than
// copied, any other format is read as ReadImageFile reads it.
class FileImage {
public:
    FileImage();
    ~FileImage();
    FileImage(const FileImage&) = delete;
    FileImage& operator=(const FileImage&) = delete;

    ConversionReport Read(const std::filesystem::path& path, const ImageReadOptions& options = {});
    // The bytes and their address; valid while this lives.
    const ImageSpan& span() const { return span_; }

private:
    Image image_;
    std::unique_ptr<SourceText> mapped_;
    ImageSpan span_;
};

// Writes the image in the format the path's extension names, replacing the
// file whole. False with `error` naming the file when the format is read
// only, the addresses do not fit its records or the file cannot be written.
bool WriteImageFile(const std::filesystem::path& path, const ImageSpan& image, Durability durability,
                    std::string& error, int32_t language = 2);

// Reads `source` with `reader` and writes the image as a binary file at
// `destination`, which afterwards exists and holds the image or is empty (a
// source that cannot be read or yields no image); only a destination that
// cannot be written keeps what it held (ok false).
ConversionReport ConvertToBinaryFile(ImageReader reader, const std::filesystem::path& source,
                                     const std::filesystem::path& destination, const ImageReadOptions& options = {});

}  // namespace tq
