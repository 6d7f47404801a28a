// GBK through iconv's GB18030.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "core/base/text_encoding.h"

namespace tq {
namespace {

constexpr const char* kDiskCodeset = "GB18030";

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("text conversion from ") + from + " to " + to + " is not available");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; invalid or unconvertible input sequences are
    // handed to onInvalid, which returns how many input bytes to skip and
    // what to emit instead.
    template <typename OnInvalid>
    std::string Run(std::string_view input, OnInvalid onInvalid) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a fresh start for a handle used before
        std::string output;
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char chunk[256];
        while (inLeft > 0) {
            char* out = chunk;
            size_t outLeft = sizeof chunk;
            const size_t rc = iconv(cd_, &in, &inLeft, &out, &outLeft);
            output.append(chunk, static_cast<size_t>(out - chunk));
            if (rc != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: an invalid or incomplete sequence at `in`.
            const bool atEnd = errno == EINVAL;
            auto [skip, replacement] = onInvalid(std::string_view(in, inLeft), atEnd);
            output += replacement;
            in += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return output;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) return std::string(gbk);
    // Opening a converter costs more than most conversions: one per thread, kept.
    static thread_local Converter converter("UTF-8", kDiskCodeset);
    return converter.Run(gbk, [](std::string_view rest, bool atEnd) -> std::pair<size_t, std::string> {
        if (atEnd) return {rest.size(), ""};
        return {1, "\xEF\xBF\xBD"};
    });
}

std::string Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    static thread_local Converter converter(kDiskCodeset, "UTF-8");
    return converter.Run(utf8, [](std::string_view, bool) -> std::pair<size_t, std::string> { return {1, "?"}; });
}

}  // namespace tq
