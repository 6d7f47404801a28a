#include "core/buffer/image_digests.h"

#include <gtest/gtest.h>

#include <string>

namespace tq {
namespace {

TEST(ImageDigests, MatchTheKnownValuesOfEveryDigest) {
    const struct {
        std::string bytes;
        const char* crc32;
        uint32_t sum;
        const char* md5;
        const char* sha256;
    } cases[] = {
        {"", "00000000", 0, "d41d8cd98f00b204e9800998ecf8427e",
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"123456789", "cbf43926", 0x1DD, "25f9e794323b453885f5181f1b624d0b",
         "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225"},
        {"abc", "352441c2", 0x126, "900150983cd24fb0d6963f7d28e17f72",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // Many blocks, the last one short.
        {std::string(1000000, 'a'), "dc25bfbc", 0x5C81A40, "7707d6ae4e027c70eea2a935c2296f21",
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 12));
        const ImageDigests digests = DigestsOf(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(Crc32Hex(digests.crc32), c.crc32);
        EXPECT_EQ(digests.sum, c.sum);
        EXPECT_EQ(DigestHex(digests.md5.data(), digests.md5.size()), c.md5);
        EXPECT_EQ(DigestHex(digests.sha256.data(), digests.sha256.size()), c.sha256);
    }
}

}  // namespace
}  // namespace tq
