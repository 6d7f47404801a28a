#include "core/texts/language_set.h"

#include <algorithm>
#include <bitset>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool SameLetters(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

std::string CaptionKey(std::string_view section, std::string_view key) {
    return Lower(section) + '\n' + Lower(key);
}

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && lead < 0xC2)) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// A [Texts] value: quotes kept a leading or trailing blank; \n \r \t \\ are escapes.
std::string TextValue(std::string_view raw) {
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') raw = raw.substr(1, raw.size() - 2);
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            value += raw[i];
            continue;
        }
        const char next = raw[i + 1];
        const char escaped = next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next == '\\' ? '\\' : '\0';
        if (escaped == '\0') {
            value += raw[i];  // not an escape: the backslash stays
        } else {
            value += escaped;
            ++i;
        }
    }
    return value;
}

// The %1..%9 markers a text uses.
std::bitset<9> Markers(std::string_view text) {
    std::bitset<9> markers;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') markers.set(static_cast<size_t>(text[i + 1] - '1'));
    return markers;
}

bool ValidCode(std::string_view code) {
    size_t start = 0;
    for (size_t part = 0;; ++part) {
        const size_t end = std::min(code.find('-', start), code.size());
        const std::string_view tag = code.substr(start, end - start);
        const bool letters = std::all_of(tag.begin(), tag.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
        const bool alnum = std::all_of(tag.begin(), tag.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (part == 0 ? !(letters && tag.size() >= 2 && tag.size() <= 3) : !(alnum && tag.size() >= 2 && tag.size() <= 8))
            return false;
        if (end == code.size()) return true;
        start = end + 1;
    }
}

// The original three are built in; a file cannot take their place.
bool BuiltInCode(std::string_view code) {
    for (std::string_view builtIn : {"en", "zh", "zh-CN", "zh-TW", "zh-Hans", "zh-Hant", "cn", "tc"})
        if (SameLetters(code, builtIn)) return true;
    return false;
}

std::mutex& InstalledMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const LanguageSet>& InstalledSet() {
    static std::shared_ptr<const LanguageSet> set;
    return set;
}

}  // namespace

std::optional<std::string> FurtherLanguage::Caption(std::string_view section, std::string_view key) const {
    const auto found = captions.find(CaptionKey(section, key));
    if (found == captions.end()) return std::nullopt;
    return found->second;
}

LanguageSet::LanguageSet(std::vector<FurtherLanguage> languages) : languages_(std::move(languages)) {
    std::sort(languages_.begin(), languages_.end(),
              [](const FurtherLanguage& a, const FurtherLanguage& b) { return Lower(a.code) < Lower(b.code); });
}

const FurtherLanguage* LanguageSet::Find(int32_t language) const {
    if (language < kFirstFurtherLanguage) return nullptr;
    const auto index = static_cast<size_t>(language - kFirstFurtherLanguage);
    return index < languages_.size() ? &languages_[index] : nullptr;
}

std::optional<int32_t> LanguageSet::ValueOf(std::string_view code) const {
    const std::string wanted = Lower(NormalisedLanguageCode(code));
    for (size_t i = 0; i < languages_.size(); ++i)
        if (Lower(languages_[i].code) == wanted) return kFirstFurtherLanguage + static_cast<int32_t>(i);
    return std::nullopt;
}

std::string NormalisedLanguageCode(std::string_view code) {
    std::string normal;
    size_t start = 0;
    for (bool first = true;; first = false) {
        const size_t end = std::min(code.find_first_of("-_", start), code.size());
        std::string tag = Lower(code.substr(start, end - start));
        if (!first && tag.size() == 2) {
            for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else if (!first && tag.size() == 4 && !tag.empty()) {
            tag[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(tag[0])));
        }
        normal += (first ? "" : "-") + tag;
        if (end == code.size()) return normal;
        start = end + 1;
    }
}

std::optional<FurtherLanguage> ParseLanguageFile(std::string_view content, const std::filesystem::path& file,
                                                 std::optional<LanguageFileProblem>& problem) {
    problem.reset();
    const auto fail = [&](LanguageFileFault fault, std::string detail) {
        problem = LanguageFileProblem{file, fault, std::move(detail)};
        return std::nullopt;
    };
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    struct Line {
        size_t number;
        std::string_view section, key, value;
    };
    std::vector<Line> lines;
    bool hasLanguageSection = false;
    std::optional<size_t> badLine;
    std::string_view section;
    size_t number = 0;
    for (size_t start = 0; start < content.size();) {
        const size_t end = std::min(content.find('\n', start), content.size());
        std::string_view line = content.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                if (!badLine) badLine = number;
                continue;
            }
            section = Trim(line.substr(1, line.size() - 2));
            hasLanguageSection = hasLanguageSection || SameLetters(section, "Language");
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0 || section.empty()) {
            if (!badLine) badLine = number;
            continue;
        }
        lines.push_back({number, section, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
    if (!hasLanguageSection) return std::nullopt;
    if (!IsUtf8(content)) return fail(LanguageFileFault::NotUtf8, {});
    if (badLine) return fail(LanguageFileFault::BadLine, std::to_string(*badLine));

    FurtherLanguage language;
    language.file = file;
    std::map<std::string, std::string> texts;
    for (const Line& line : lines) {
        if (SameLetters(line.section, "Language")) {
            // "Name=Deutsch ; a note" keeps its note out of the name.
            std::string_view value = line.value;
            if (const size_t note = value.find(" ;"); note != std::string_view::npos) value = Trim(value.substr(0, note));
            std::string* field = SameLetters(line.key, "Code")          ? &language.code
                                 : SameLetters(line.key, "Name")        ? &language.name
                                 : SameLetters(line.key, "EnglishName") ? &language.englishName
                                                                        : nullptr;
            if (field && field->empty()) *field = std::string(value);
        } else if (SameLetters(line.section, "Texts")) {
            texts.emplace(std::string(line.key), TextValue(line.value));  // the first of a key counts
        } else {
            language.captions.emplace(CaptionKey(line.section, line.key), std::string(line.value));
        }
    }
    if (language.code.empty()) return fail(LanguageFileFault::NoCode, {});
    if (language.name.empty()) return fail(LanguageFileFault::NoName, {});
    const std::string normal = NormalisedLanguageCode(language.code);
    if (language.code.find_first_of("-_") == 0 || !ValidCode(normal)) return fail(LanguageFileFault::BadCode, language.code);
    if (BuiltInCode(normal)) return fail(LanguageFileFault::BuiltInCode, language.code);
    language.code = normal;

    // Captions first, in the order of EN.ini's sections, then the catalogue.
    std::set<std::string> listed;
    const auto need = [&](const char* section, const char* key) {
        if (listed.insert(CaptionKey(section, key)).second && !language.Caption(section, key))
            language.missing.push_back(std::string("[") + section + "] " + key);
    };
    for (const LanguageField& field : LanguageFields()) need(field.section, field.key);
    for (const DirectCaption& caption : DirectCaptions()) need(caption.section, caption.key);
    for (const DialogText& text : DialogTexts()) need(text.section, text.key);
    language.texts.reserve(TextCount());
    for (size_t i = 0; i < TextCount(); ++i) {
        const auto id = static_cast<TextId>(i);
        const std::string english = Text(2, id);
        const auto found = texts.find(std::string(TextKey(id)));
        if (found == texts.end() || Markers(found->second) != Markers(english)) {
            language.missing.push_back("[Texts] " + std::string(TextKey(id)));
            language.texts.push_back(english);
        } else {
            language.texts.push_back(found->second);
        }
    }
    return language;
}

LanguageScan ScanLanguageFolders(std::span<const std::filesystem::path> folders) {
    LanguageScan scan;
    std::vector<std::filesystem::path> seenFolders;
    for (const std::filesystem::path& folder : folders) {
        std::error_code ec;
        if (std::any_of(seenFolders.begin(), seenFolders.end(),
                        [&](const std::filesystem::path& seen) { return std::filesystem::equivalent(seen, folder, ec); }))
            continue;
        seenFolders.push_back(folder);
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            if (!SameLetters(entry.path().extension().string(), ".ini")) continue;
            if (SameLetters(name, "CN.ini") || SameLetters(name, "TC.ini") || SameLetters(name, "EN.ini")) continue;
            files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const std::filesystem::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            if (!in) {
                scan.problems.push_back({file, LanguageFileFault::Unreadable, {}});
                continue;
            }
            std::optional<LanguageFileProblem> problem;
            std::optional<FurtherLanguage> language = ParseLanguageFile(content.str(), file, problem);
            if (problem) scan.problems.push_back(*problem);
            if (!language) continue;
            const auto same = std::find_if(scan.languages.begin(), scan.languages.end(),
                                           [&](const FurtherLanguage& known) { return SameLetters(known.code, language->code); });
            if (same != scan.languages.end()) {
                scan.problems.push_back({file, LanguageFileFault::SameCode, same->file.string()});
                continue;
            }
            scan.languages.push_back(std::move(*language));
        }
    }
    return scan;
}

void InstallLanguages(std::shared_ptr<const LanguageSet> set) {
    const std::lock_guard lock(InstalledMutex());
    InstalledSet() = std::move(set);
}

std::shared_ptr<const LanguageSet> InstalledLanguages() {
    const std::lock_guard lock(InstalledMutex());
    return InstalledSet();
}

ScopedLanguages::ScopedLanguages(std::shared_ptr<const LanguageSet> set) : previous_(InstalledLanguages()) {
    InstallLanguages(std::move(set));
}

ScopedLanguages::~ScopedLanguages() { InstallLanguages(std::move(previous_)); }

}  // namespace tq
