#include "core/project/project_crc.h"

#include <zlib.h>

#include <algorithm>

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

}  // namespace tq
