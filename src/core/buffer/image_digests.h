// CRC-32, MD5 and SHA-256 of an image beside the program's own byte sum: the
// figures a vendor's release notes give, to tell a chip or file is the one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tq {

struct ImageDigests {
    uint32_t crc32 = 0;  // IEEE, as zip and PNG use it
    uint32_t sum = 0;    // CheckSum32 from 0
    std::array<uint8_t, 16> md5{};
    std::array<uint8_t, 32> sha256{};
};

// Which of them to compute: a status line needs two, and MD5 alone would
// halve the speed of a CRC-32.
enum DigestSet : unsigned { kDigestCrc32 = 1, kDigestSum = 2, kDigestMd5 = 4, kDigestSha256 = 8, kAllDigests = 15 };

// Those of `which` in one pass over the bytes, a cache-sized block at a
// time; the others stay as ImageDigests starts them.
ImageDigests DigestsOf(const uint8_t* bytes, size_t count, unsigned which = kAllDigests);

// Lower-case hex digits of a digest, and the CRC-32 as eight of them.
std::string DigestHex(const uint8_t* digest, size_t size);
std::string Crc32Hex(uint32_t crc);

// The status line's text after a read, write or verify: CRC-32 and SHA-256
// of `count` bytes.
std::string DigestStatusText(int32_t language, const uint8_t* bytes, size_t count);

// The four figures as a person copies them: lower-case hex, the byte sum
// as 0x and eight digits. The same in every language, for scripts too.
struct DigestTexts {
    std::string crc32, md5, sha256, sum;
};
DigestTexts TextsOf(const ImageDigests& digests);

// The part of an image to sum: [first, first + count).
struct SumRange {
    uint64_t first = 0;
    uint64_t count = 0;
};

// The range a person typed as hex addresses, `to` inclusive; an empty `from`
// is the image's start, an empty `to` its end. nullopt with `error` set (in
// `language`) when a text is not hex, the range is backwards or leaves the
// image of `imageSize` bytes.
std::optional<SumRange> ParseSumRange(int32_t language, const std::string& from, const std::string& to,
                                      uint64_t imageSize, std::string& error);

}  // namespace tq
