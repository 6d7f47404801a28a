// Languages beyond the three built in: one UTF-8 file each (<code>.ini) with
// a [Language] section naming it, the sections of EN.ini for the captions and
// a [Texts] section for the catalogue. They take language values 3, 4 ...
// in the order of their codes; whatever a file lacks is English.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

inline constexpr int32_t kFirstFurtherLanguage = 3;

struct FurtherLanguage {
    std::string code;         // "de", "pt-BR"
    std::string name;         // as the language calls itself: "Deutsch"
    std::string englishName;  // "German"
    std::filesystem::path file;
    // By TextId; the English text where the file has none (or drops a %marker).
    std::vector<std::string> texts;
    // Caption values by "section\nkey", both lower case.
    std::map<std::string, std::string> captions;
    // "[Section] Key" of every caption and catalogue text the file lacks or
    // whose %markers differ from the English ones.
    std::vector<std::string> missing;

    // The caption, or nullopt where the file has none.
    std::optional<std::string> Caption(std::string_view section, std::string_view key) const;
};

class LanguageSet {
public:
    LanguageSet() = default;
    explicit LanguageSet(std::vector<FurtherLanguage> languages);  // sorted by code here

    std::span<const FurtherLanguage> languages() const { return languages_; }
    // The language of a value of 3 or more; nullptr for any other.
    const FurtherLanguage* Find(int32_t language) const;
    // The value of a code, compared without regard to case and with '_'
    // taken for '-'; nullopt for a code no file has.
    std::optional<int32_t> ValueOf(std::string_view code) const;

private:
    std::vector<FurtherLanguage> languages_;
};

// Why a language file was passed over.
enum class LanguageFileFault { NotUtf8, BadLine, NoCode, NoName, BadCode, BuiltInCode, SameCode, Unreadable };

struct LanguageFileProblem {
    std::filesystem::path file;
    LanguageFileFault fault;
    std::string detail;  // the line number, the code or the file it clashes with
};

// Reads one language file's text. A text without a [Language] section is no
// language file: nullopt without a problem (dev.ini lives beside them).
std::optional<FurtherLanguage> ParseLanguageFile(std::string_view content, const std::filesystem::path& file,
                                                 std::optional<LanguageFileProblem>& problem);

struct LanguageScan {
    std::vector<FurtherLanguage> languages;
    std::vector<LanguageFileProblem> problems;
};

// Every *.ini of the folders but CN.ini, TC.ini and EN.ini, in folder order;
// a code found twice keeps the first file.
LanguageScan ScanLanguageFolders(std::span<const std::filesystem::path> folders);

// Normalised code: "pt_br" -> "pt-BR", "DE" -> "de", "zh-hant" -> "zh-Hant".
std::string NormalisedLanguageCode(std::string_view code);

// The further languages the program knows. Text() has no context to carry
// them, so the front-ends install one read-only set at start-up, before any
// worker thread runs; every later reader sees that set. Empty until then.
void InstallLanguages(std::shared_ptr<const LanguageSet> set);
std::shared_ptr<const LanguageSet> InstalledLanguages();

// For tests: installs a set for its lifetime and puts back the one before.
class ScopedLanguages {
public:
    explicit ScopedLanguages(std::shared_ptr<const LanguageSet> set);
    ~ScopedLanguages();
    ScopedLanguages(const ScopedLanguages&) = delete;
    ScopedLanguages& operator=(const ScopedLanguages&) = delete;

private:
    std::shared_ptr<const LanguageSet> previous_;
};

}  // namespace tq
