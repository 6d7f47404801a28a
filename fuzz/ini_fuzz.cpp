// INI reader: any file, then one key written, saved and read back. Input:
// file bytes, 0, section, 0, key, 0, value. Names use a plain alphabet (the
// program's names are constants); the value is any bytes.
#include <string>
#include <string_view>

#include "core/base/profile_file.h"
#include "core/base/text_encoding.h"
#include "fuzz_support.h"

using namespace tq::fuzz;

namespace {
std::string_view Part(std::string_view& rest) {
    const size_t cut = rest.find('\0');
    const std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    return part;
}

std::string Name(std::string_view raw, const char* fallback) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
    std::string name;
    for (char c : raw.substr(0, 12)) name += kAlphabet[static_cast<uint8_t>(c) % (sizeof kAlphabet - 1)];
    return name.empty() ? fallback : name;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view file = Part(rest);
    const std::string section = Name(Part(rest), "S"), key = Name(Part(rest), "K");
    std::string value(Part(rest));
    const auto path = Scratch("profile.ini");
    WriteBytes(path, reinterpret_cast<const uint8_t*>(file.data()), file.size());

    tq::ProfileFile profile = tq::ProfileFile::Load(path);
    Check(profile.ReadError().empty(), "a regular file is readable");
    // Another key of the same section keeps its value across the write.
    const std::string other = key + "x";
    // Read back without a limit in reach: an input may hold a value of 8 KiB.
    constexpr size_t kWhole = size_t{1} << 20;
    const std::string otherBefore = profile.ReadString(section, other, "\x01", kWhole);
    const std::string cut = profile.ReadString(section, key, value, 7);
    Check(tq::GbkLength(cut) <= 7, "a value is cut to its byte limit");

    profile.WriteString(section, key, value);
    Check(profile.Save().empty(), "the profile saves");
    const tq::ProfileFile again = tq::ProfileFile::Load(path);
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    const std::string expected = tq::GbkToUtf8(TrimBlanks(tq::Utf8ToGbk(value)));
    Check(again.ReadString(section, key, "\x01", kWhole) == expected, "a written value reads back");
    Check(again.ReadString(section, other, "\x01", kWhole) == otherBefore, "a written key leaves other keys alone");
    return 0;
}
