#include "core/buffer/image_digests.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "core/base/number_text.h"
#include "core/buffer/chip_buffer.h"
#include "core/platform/digest.h"
#include "core/texts/text_catalogue.h"

namespace tq {

namespace {

// Small enough that each block is still in L2 when the next digest reads it.
constexpr size_t kDigestBlock = 64 * 1024;

// None when `kind` is not wanted.
std::unique_ptr<Digest> StartDigest(bool wanted, DigestKind kind) {
    return wanted ? std::make_unique<Digest>(kind) : nullptr;
}

template <size_t N>
void FinishInto(Digest& digest, std::array<uint8_t, N>& out) {
    const std::vector<uint8_t> bytes = digest.Finish();
    std::copy(bytes.begin(), bytes.end(), out.begin());
}

}  // namespace

ImageDigests DigestsOf(const uint8_t* bytes, size_t count, unsigned which) {
    ImageDigests digests;
    const std::unique_ptr<Digest> md5 = StartDigest(which & kDigestMd5, DigestKind::Md5);
    const std::unique_ptr<Digest> sha256 = StartDigest(which & kDigestSha256, DigestKind::Sha256);
    uLong crc = crc32(0L, Z_NULL, 0);
    for (size_t at = 0; at < count; at += kDigestBlock) {
        const size_t length = std::min(kDigestBlock, count - at);
        const uint8_t* block = bytes + at;
        if (which & kDigestCrc32) crc = crc32(crc, block, static_cast<uInt>(length));
        if (which & kDigestSum) digests.sum = CheckSum32(digests.sum, block, length);
        if (md5) md5->Update(block, length);
        if (sha256) sha256->Update(block, length);
    }
    digests.crc32 = static_cast<uint32_t>(crc);
    if (md5) FinishInto(*md5, digests.md5);
    if (sha256) FinishInto(*sha256, digests.sha256);
    return digests;
}

std::string DigestHex(const uint8_t* digest, size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 15];
    }
    return text;
}

std::string Crc32Hex(uint32_t crc) {
    const uint8_t bigEndian[4] = {static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16),
                                  static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
    return DigestHex(bigEndian, 4);
}

std::string DigestStatusText(int32_t language, const uint8_t* bytes, size_t count) {
    const ImageDigests digests = DigestsOf(bytes, count, kDigestCrc32 | kDigestSha256);
    return Text(language, TextId::ImageDigestsLine,
                {Crc32Hex(digests.crc32), DigestHex(digests.sha256.data(), digests.sha256.size())});
}

DigestTexts TextsOf(const ImageDigests& digests) {
    return {Crc32Hex(digests.crc32), DigestHex(digests.md5.data(), digests.md5.size()),
            DigestHex(digests.sha256.data(), digests.sha256.size()), "0x" + HexText(digests.sum, 8)};
}

std::optional<SumRange> ParseSumRange(int32_t language, const std::string& from, const std::string& to,
                                      uint64_t imageSize, std::string& error) {
    const auto address = [&](const std::string& text, uint64_t fallback) -> std::optional<uint64_t> {
        if (text.empty()) return fallback;
        if (const std::optional<uint32_t> value = ParseHexNumber(text)) return *value;
        error = Text(language, TextId::SumAddressNotHex, {text});
        return std::nullopt;
    };
    if (imageSize == 0) {
        error = Text(language, TextId::SumImageEmpty);
        return std::nullopt;
    }
    const std::optional<uint64_t> first = address(from, 0);
    if (!first) return std::nullopt;
    const std::optional<uint64_t> last = address(to, imageSize - 1);
    if (!last) return std::nullopt;
    if (*first > *last || *last >= imageSize) {
        error = Text(language, TextId::SumRangeOutside,
                     {"0x" + HexText(static_cast<uint32_t>(*first), 6), "0x" + HexText(static_cast<uint32_t>(*last), 6),
                      "0x" + HexText(static_cast<uint32_t>(imageSize - 1), 6)});
        return std::nullopt;
    }
    return SumRange{*first, *last - *first + 1};
}

}  // namespace tq
