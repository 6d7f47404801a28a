// CAP file to binary image: a CAP file is a 2048-byte header, never looked
// at, followed by the image. A source of 2048 bytes or fewer yields an empty
// image. CAP files are read, never written (their header is not known). The
// reader is the CAP row of the format table (image_formats.h); CapToBin
// converts a file into a binary file as ConvertToBinaryFile does.
#pragma once

#include <filesystem>

#include "core/buffer/image_formats.h"

namespace tq {

inline constexpr std::size_t kCapHeaderSize = 2048;

ConversionReport CapToBin(const std::filesystem::path& source, const std::filesystem::path& destination);

}  // namespace tq
