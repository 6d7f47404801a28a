#include "core/project/project_crc.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>

namespace tq {

uint32_t ProjectCrcPiece(uint32_t running, const uint8_t* piece, size_t length) {
    // zlib complements on entry and on exit; complementing the running value
    // first leaves exactly "update from the running value, then complement".
    return static_cast<uint32_t>(crc32(~running & 0xFFFFFFFFu, piece, static_cast<uInt>(length)));
}

uint32_t ProjectCrc(const uint8_t* bytes, size_t length) {
    uint32_t running = kProjectCrcStart;
    for (size_t at = 0; at < length; at += kProjectCrcPiece)
        running = ProjectCrcPiece(running, bytes + at, std::min(kProjectCrcPiece, length - at));
    return running;
}

DataFileError ProjectCrcOfFile(const std::filesystem::path& path, DataFileFacts& facts) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return DataFileError::CannotOpen;
    std::ifstream in(path, std::ios::binary);
    if (!in) return DataFileError::CannotOpen;
    uint32_t running = kProjectCrcStart;
    uint64_t total = 0;
    char piece[kProjectCrcPiece];
    while (in) {
        in.read(piece, sizeof piece);
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0) break;
        running = ProjectCrcPiece(running, reinterpret_cast<const uint8_t*>(piece), got);
        total += got;
        if (total > UINT32_MAX) return DataFileError::TooLarge;
    }
    if (in.bad()) return DataFileError::CannotRead;
    facts.length = static_cast<uint32_t>(total);
    facts.crc = running;
    return DataFileError::None;
}

}  // namespace tq
