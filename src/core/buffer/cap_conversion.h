// CAP file to binary image: a CAP file is a 2048-byte header, never looked
// at, followed by the image. Afterwards the destination exists and holds the
// source from byte 2048 on, or is empty (a source of 2048 bytes or fewer, or
// one that cannot be read).
#pragma once

#include <filesystem>

#include "core/buffer/conversion_report.h"

namespace tq {

inline constexpr std::size_t kCapHeaderSize = 2048;

ConversionReport CapToBin(const std::filesystem::path& source, const std::filesystem::path& destination);

}  // namespace tq
