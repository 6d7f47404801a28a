// MD5 and SHA-256 from the platform's own cryptography: OpenSSL's libcrypto
// on Linux, the CNG primitives (bcrypt) on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tq {

enum class DigestKind { Md5, Sha256 };

// One running digest: fed in pieces, finished once.
class Digest {
public:
    explicit Digest(DigestKind kind);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    // False once the platform refused a step; the result is then all zero.
    bool ok() const { return ok_; }
    void Update(const uint8_t* bytes, size_t count);
    // The digest (16 bytes for MD5, 32 for SHA-256); nothing may follow.
    std::vector<uint8_t> Finish();

    static size_t SizeOf(DigestKind kind) { return kind == DigestKind::Md5 ? 16 : 32; }

private:
    struct State;
    std::unique_ptr<State> state_;
    DigestKind kind_;
    bool ok_ = false;
};

}  // namespace tq
