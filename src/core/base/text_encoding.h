// Texts are UTF-8 inside the program; the settings file, the language files
// and the project file hold GBK (code page 936) on disk. The conversion uses
// GB18030, the superset of GBK, so that GBK files read exactly and no text
// the program writes is lost (characters outside GBK keep their 4-byte form).
// iconv converts on Linux, the system's code page 54936 on Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tq {

// True when every byte is ASCII, which reads the same in GBK and UTF-8: the
// converters hand such a text back as it is, without asking the system.
inline bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// GBK bytes to UTF-8. A character cut off at the end (a value that another
// program truncated inside a character) is dropped; any other invalid byte
// becomes U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 to GBK bytes. Invalid UTF-8 bytes become '?'.
std::string Utf8ToGbk(std::string_view utf8);

// The length of the GBK character that starts at gbk[pos] (1, 2 or 4), as
// far as the text allows.
size_t GbkCharLength(std::string_view gbk, size_t pos);

// GBK bytes cut to at most maxBytes, never inside a character.
std::string_view CutGbk(std::string_view gbk, size_t maxBytes);

// A UTF-8 text cut so that its GBK form has at most maxBytes bytes.
std::string CutToGbkBytes(std::string_view utf8, size_t maxBytes);

// The number of bytes of a UTF-8 text's GBK form.
size_t GbkLength(std::string_view utf8);

}  // namespace tq
