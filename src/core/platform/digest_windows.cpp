// The hash objects of CNG. The algorithm providers are opened per digest:
// opening one costs microseconds and keeps no state shared between threads.
#include <windows.h>
#include <bcrypt.h>

#include "core/platform/digest.h"

namespace tq {

struct Digest::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash) BCryptDestroyHash(hash);
        if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

namespace {
bool Succeeded(NTSTATUS status) { return status >= 0; }
}  // namespace

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>()), kind_(kind) {
    const wchar_t* name = kind == DigestKind::Md5 ? BCRYPT_MD5_ALGORITHM : BCRYPT_SHA256_ALGORITHM;
    ok_ = Succeeded(BCryptOpenAlgorithmProvider(&state_->algorithm, name, nullptr, 0)) &&
          Succeeded(BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0));
}

Digest::~Digest() = default;

void Digest::Update(const uint8_t* bytes, size_t count) {
    // BCryptHashData takes a 32-bit length.
    constexpr size_t kPiece = 1u << 30;
    while (ok_ && count > 0) {
        const size_t piece = count < kPiece ? count : kPiece;
        ok_ = Succeeded(BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes), static_cast<ULONG>(piece), 0));
        bytes += piece;
        count -= piece;
    }
}

std::vector<uint8_t> Digest::Finish() {
    std::vector<uint8_t> digest(SizeOf(kind_));
    if (ok_) ok_ = Succeeded(BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    if (!ok_) digest.assign(digest.size(), 0);
    return digest;
}

}  // namespace tq
