// Writing an image as a binary, Intel HEX or Motorola S-record file, the
// format told by the file's extension. The text formats carry the address of
// the image's first byte, so a file read back lands where it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tq {

enum class ImageFormat {
    Binary,    // the bytes as they are
    IntelHex,  // ".hex": 16-byte data records, an extended linear address record before each 64 KiB
    Srec,      // ".srec": S1, S2 or S3, the narrowest the addresses fit
    S19,       // ".s19": S1 records, 16-bit addresses
    S28,       // ".s28": S2 records, 24-bit addresses
    S37        // ".s37": S3 records, 32-bit addresses
};

// The format a lower-case extension (as FileExtension gives it) names; binary for any other.
ImageFormat ImageFormatOf(const std::string& extension);
bool IsSrecFormat(ImageFormat format);

// Writes `length` bytes whose first byte has address `address` through a
// temporary file renamed over `path`. False with `error` when the addresses
// do not fit the format's records (nothing is written) or the file cannot be
// written (naming it).
bool WriteImageFile(const std::filesystem::path& path, ImageFormat format, const uint8_t* data, std::size_t length,
                    uint64_t address, std::string& error);

}  // namespace tq
