// Motorola S-record file to binary image.
//
// Data records S1, S2 and S3 (16-, 24- and 32-bit addresses) are placed at
// their addresses: image offset 0 is the lowest data address, gaps are 0xFF,
// and the image ends with the highest record. S0 (header) is read and
// ignored; S5 and S6 (record counts) must match the data records before them;
// S7, S8 or S9 ends the file. A file without one still yields its data, with
// a warning that it may be cut short. Every record's count, digits and
// checksum are checked: the first record that is not sound fails the
// conversion naming its line, and so does data spanning more than
// maxImageBytes. Records over the same address must give the same bytes;
// different ones fail the conversion naming both lines. Lines may end with
// LF, CR LF or CR; blank lines are skipped; lines after the end record are
// ignored with a warning.
//
// The reader and writer are the S-record row of the format table
// (image_formats.h); SrecToBin converts a file into a binary file as
// ConvertToBinaryFile does.
#pragma once

#include <cstdint>
#include <filesystem>

#include "core/buffer/image_formats.h"

namespace tq {

ConversionReport SrecToBin(const std::filesystem::path& source, const std::filesystem::path& destination,
                           uint64_t maxImageBytes = kMaxHexImageBytes);

}  // namespace tq
