#include "core/app/language_files.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "core/texts/text_context.h"

namespace tq {
namespace {

std::string Reason(const LanguageFileProblem& problem, int32_t language) {
    switch (problem.fault) {
    case LanguageFileFault::NotUtf8: return Text(language, TextId::LanguageFileNotUtf8);
    case LanguageFileFault::BadLine: return Text(language, TextId::LanguageFileBadLine, {problem.detail});
    case LanguageFileFault::NoCode: return Text(language, TextId::LanguageFileNoCode);
    case LanguageFileFault::NoName: return Text(language, TextId::LanguageFileNoName);
    case LanguageFileFault::BadCode: return Text(language, TextId::LanguageFileBadCode, {problem.detail});
    case LanguageFileFault::BuiltInCode: return Text(language, TextId::LanguageFileBuiltInCode, {problem.detail});
    case LanguageFileFault::SameCode: return Text(language, TextId::LanguageFileSameCode, {problem.detail});
    case LanguageFileFault::Unreadable: break;
    }
    return Text(language, TextId::LanguageFileUnreadable);
}

// A [Texts] value as the file writes it: escapes, and quotes that keep blanks at its ends.
std::string TemplateValue(std::string_view text) {
    std::string value;
    for (char c : text) {
        if (c == '\\') value += "\\\\";
        else if (c == '\n') value += "\\n";
        else if (c == '\r') value += "\\r";
        else if (c == '\t') value += "\\t";
        else value += c;
    }
    const bool blankAtEnd = !value.empty() && (value.front() == ' ' || value.back() == ' ');
    const bool quotedAlready = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return blankAtEnd || quotedAlready ? '"' + value + '"' : value;
}

}  // namespace

std::vector<LanguageFileProblem> InstallLanguageFiles(const ProgramFolders& folders) {
    const std::filesystem::path places[] = {folders.program, folders.data};
    LanguageScan scan = ScanLanguageFolders(places);
    InstallLanguages(std::make_shared<const LanguageSet>(std::move(scan.languages)));
    return std::move(scan.problems);
}

std::vector<std::string> LanguageFileNotes(std::span<const LanguageFileProblem> problems, int32_t language, bool trace) {
    std::vector<std::string> notes;
    for (const LanguageFileProblem& problem : problems)
        notes.push_back(Text(language, TextId::LanguageFileSkipped, {problem.file.string(), Reason(problem, language)}));
    const std::shared_ptr<const LanguageSet> languages = InstalledLanguages();
    if (!trace || !languages) return notes;
    for (const FurtherLanguage& further : languages->languages()) {
        if (further.missing.empty()) {
            notes.push_back(Text(language, TextId::LanguageFileComplete, {further.file.string()}));
            continue;
        }
        std::string keys;
        for (const std::string& key : further.missing) keys += (keys.empty() ? "" : ", ") + key;
        notes.push_back(Text(language, TextId::LanguageFileLacksKeys,
                             {further.file.string(), std::to_string(further.missing.size()), keys}));
    }
    return notes;
}

std::string OptionBeforeParsing(std::span<const std::string> arguments, std::string_view name) {
    const std::string joined = std::string(name) + "=";
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].rfind(joined, 0) == 0) return arguments[i].substr(joined.size());
        if (arguments[i] == name && i + 1 < arguments.size()) return arguments[i + 1];
    }
    return {};
}

std::string WithLanguageCodes(int32_t language, TextId id) {
    const std::shared_ptr<const LanguageSet> languages = InstalledLanguages();
    if (!languages || languages->languages().empty()) return Text(language, id);
    std::string codes;
    for (const FurtherLanguage& further : languages->languages()) codes += (codes.empty() ? "" : ", ") + further.code;
    return Text(language, id) + Text(language, TextId::LanguageCodeChoice, {codes});
}

std::string LanguageTemplate(const std::filesystem::path& programFolder) {
    TextContext english;
    english.Language = 2;
    english.ProgramFolder = programFolder;
    const LanguageFile file(english);
    std::string out =
        "; tqprog language file. Copy it to <code>.ini (de.ini, pt-BR.ini ...), UTF-8, and translate\n"
        "; the text after each \"=\"; keys stay. [Texts] values: \\n \\t \\\\ escapes, quotes keep blanks\n"
        "; at the ends, every %1..%9 stays, & marks the key letter where English has one.\n\n"
        "[Language]\nName=English\nEnglishName=English\nCode=en\n";
    // The caption sections in the order the program reads them, each key once.
    struct Key {
        std::string section, key, fallback;
    };
    std::vector<Key> keys;
    for (const LanguageField& field : LanguageFields()) keys.push_back({field.section, field.key, field.fallback});
    for (const DirectCaption& caption : DirectCaptions()) keys.push_back({caption.section, caption.key, caption.fallback});
    for (const DialogText& text : DialogTexts()) keys.push_back({text.section, text.key, text.fallback});
    std::vector<std::string> sections;
    for (const Key& key : keys)
        if (std::find(sections.begin(), sections.end(), key.section) == sections.end()) sections.push_back(key.section);
    for (const std::string& section : sections) {
        out += "\n[" + section + "]\n";
        std::set<std::string> written;
        for (const Key& key : keys)
            if (key.section == section && written.insert(key.key).second)
                out += key.key + "=" + file.Text(key.section, key.key, key.fallback, SIZE_MAX) + "\n";
    }
    out += "\n[Texts]\n";
    for (size_t i = 0; i < TextCount(); ++i) {
        const auto id = static_cast<TextId>(i);
        out += std::string(TextKey(id)) + "=" + TemplateValue(Text(2, id)) + "\n";
    }
    return out;
}

}  // namespace tq
