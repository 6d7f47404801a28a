// Intel HEX file to binary image.
//
// Records 00 (data), 01 (end of file), 04 (extended linear address) and
// 02 (extended segment address) are used; every other type is ignored. The
// first extended address record met before any data record fixes where the
// image starts: offset 0 is that upper address plus the first data record's
// address; without one, offset 0 is address 0. Every data record lands at its
// place, gaps are 0xFF, and the image ends with the highest record.
// A record below the image start or beyond maxImageBytes from it fails the
// conversion, naming its line and address, and so do two records that give
// one address different bytes, naming both lines. The first end-of-file
// record ends the image; without one the data is loaded with a warning that
// the file may be cut short (a last record cut short fails, naming its line).
// A line not starting with ':' before the end leaves the destination empty;
// blank lines are skipped, and LF, CR LF and CR all end a line. Record
// checksums are not checked.
//
// The reader and writer are the Intel HEX row of the format table
// (image_formats.h); HexToBin converts a file into a binary file as
// ConvertToBinaryFile does.
#pragma once

#include <cstdint>
#include <filesystem>

#include "core/buffer/image_formats.h"

namespace tq {

ConversionReport HexToBin(const std::filesystem::path& source, const std::filesystem::path& destination,
                          uint64_t maxImageBytes = kMaxHexImageBytes, const ConversionProgress& progress = {});

}  // namespace tq
