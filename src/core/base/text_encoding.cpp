#include "core/base/text_encoding.h"

namespace tq {

size_t GbkCharLength(std::string_view gbk, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(gbk[i]); };
    if (pos >= gbk.size()) return 0;
    const unsigned char lead = byte(pos);
    if (lead < 0x81 || lead == 0xFF || pos + 1 >= gbk.size()) return 1;
    const unsigned char second = byte(pos + 1);
    if (second >= 0x30 && second <= 0x39) return pos + 3 < gbk.size() ? 4 : gbk.size() - pos;
    return 2;
}

std::string_view CutGbk(std::string_view gbk, size_t maxBytes) {
    if (gbk.size() <= maxBytes) return gbk;
    size_t end = 0;
    while (end < gbk.size()) {
        const size_t next = end + GbkCharLength(gbk, end);
        if (next > maxBytes) break;
        end = next;
    }
    return gbk.substr(0, end);
}

std::string CutToGbkBytes(std::string_view utf8, size_t maxBytes) {
    const std::string gbk = Utf8ToGbk(utf8);
    if (gbk.size() <= maxBytes) return std::string(utf8);
    return GbkToUtf8(CutGbk(gbk, maxBytes));
}

size_t GbkLength(std::string_view utf8) { return Utf8ToGbk(utf8).size(); }

}  // namespace tq
