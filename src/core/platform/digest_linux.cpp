#include <openssl/evp.h>

#include "core/platform/digest.h"

namespace tq {

struct Digest::State {
    EVP_MD_CTX* context = nullptr;
    ~State() { EVP_MD_CTX_free(context); }
};

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>()), kind_(kind) {
    state_->context = EVP_MD_CTX_new();
    ok_ = state_->context &&
          EVP_DigestInit_ex(state_->context, kind == DigestKind::Md5 ? EVP_md5() : EVP_sha256(), nullptr) == 1;
}

Digest::~Digest() = default;

void Digest::Update(const uint8_t* bytes, size_t count) {
    if (ok_) ok_ = EVP_DigestUpdate(state_->context, bytes, count) == 1;
}

std::vector<uint8_t> Digest::Finish() {
    std::vector<uint8_t> digest(SizeOf(kind_));
    unsigned int length = 0;
    if (ok_) ok_ = EVP_DigestFinal_ex(state_->context, digest.data(), &length) == 1 && length == digest.size();
    if (!ok_) digest.assign(digest.size(), 0);
    return digest;
}

}  // namespace tq
