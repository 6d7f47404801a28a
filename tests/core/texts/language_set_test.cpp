// Further languages: their files, their texts with English where they lack
// one, the choice by locale, --lang and dev.ini.
#include "core/texts/language_set.h"

#include <gtest/gtest.h>

#include "core/app/language_files.h"
#include "core/texts/language.h"
#include "core/texts/system_language.h"
#include "core/texts/text_catalogue.h"
#include "core/texts/text_context.h"
#include "support/fixture_languages.h"
#include "support/program_folder.h"

namespace tq {
namespace {

using testing::FixtureLanguageFolder;
using testing::LanguagesOf;

std::optional<FurtherLanguage> Parse(const std::string& content, std::optional<LanguageFileProblem>& problem) {
    return ParseLanguageFile(content, "xx.ini", problem);
}

bool Lacks(const FurtherLanguage& language, const std::string& key) {
    return std::find(language.missing.begin(), language.missing.end(), key) != language.missing.end();
}

TEST(LanguageFile, TextsCaptionsEscapesAndEnglishForWhatItLacks) {
    std::optional<LanguageFileProblem> problem;
    const std::optional<FurtherLanguage> file = Parse(
        "\xEF\xBB\xBF; comment\r\n[Language]\r\nName=Deutsch ; what the menu shows\r\nEnglishName=German\r\nCode=DE_at\r\n"
        "[FileMenu]\r\nFile = Datei\r\n[Texts]\r\nAutoRunTitle=\"Automatik \"\r\nCliNoCommand=a\\tb\\\\n\\nc\r\n"
        "ValueAfterColon=%2 ist %1\r\nSerialTaken=Seriennummer\r\nCliNoCommand=second\r\n",
        problem);
    ASSERT_TRUE(file) << (problem ? problem->detail : "");
    EXPECT_FALSE(problem);
    EXPECT_EQ(file->code, "de-AT");
    EXPECT_EQ(file->name, "Deutsch");
    EXPECT_EQ(file->Caption("filemenu", "FILE"), "Datei");
    EXPECT_EQ(file->Caption("FileMenu", "Open"), std::nullopt);
    ASSERT_EQ(file->texts.size(), TextCount());
    const auto text = [&](TextId id) { return file->texts[static_cast<size_t>(id)]; };
    EXPECT_EQ(text(TextId::AutoRunTitle), "Automatik ");
    EXPECT_EQ(text(TextId::CliNoCommand), "a\tb\\n\nc");
    EXPECT_EQ(text(TextId::ValueAfterColon), "%2 ist %1");
    EXPECT_EQ(text(TextId::SerialTaken), Text(2, TextId::SerialTaken));  // it dropped %1 and %2
    EXPECT_EQ(text(TextId::CliSeeHelp), Text(2, TextId::CliSeeHelp));
    EXPECT_TRUE(Lacks(*file, "[Texts] SerialTaken"));
    EXPECT_TRUE(Lacks(*file, "[Texts] CliSeeHelp"));
    EXPECT_TRUE(Lacks(*file, "[FileMenu] Open"));
    EXPECT_FALSE(Lacks(*file, "[FileMenu] File"));
    EXPECT_FALSE(Lacks(*file, "[Texts] AutoRunTitle"));
    EXPECT_EQ(file->missing.size(), 124u - 1 + TextCount() - 3);
}

TEST(LanguageFile, AMalformedFileIsPassedOverAndSaysWhy) {
    struct Case {
        std::string content;
        std::optional<LanguageFileFault> fault;
        std::string detail;
    };
    const std::string head = "[Language]\nName=X\n";
    const Case cases[] = {
        {"[SystemOption]\nLanguage= 2\n", std::nullopt, ""},  // dev.ini: no language file, nothing to say
        {head + "Code=de\n[Texts]\nA=\xC3\n", LanguageFileFault::NotUtf8, ""},
        {head + "Code=de\n[Texts\nA=b\n", LanguageFileFault::BadLine, "4"},
        {head + "Code=de\njust words\n", LanguageFileFault::BadLine, "4"},
        {head + "EnglishName=X\n", LanguageFileFault::NoCode, ""},
        {"[Language]\nCode=de\n", LanguageFileFault::NoName, ""},
        {head + "Code=deutsch\n", LanguageFileFault::BadCode, "deutsch"},
        {head + "Code=de/x\n", LanguageFileFault::BadCode, "de/x"},
        {head + "Code=EN\n", LanguageFileFault::BuiltInCode, "EN"},
        {head + "Code=zh_TW\n", LanguageFileFault::BuiltInCode, "zh_TW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        std::optional<LanguageFileProblem> problem;
        EXPECT_FALSE(Parse(c.content, problem));
        ASSERT_EQ(problem.has_value(), c.fault.has_value());
        if (!problem) continue;
        EXPECT_EQ(problem->fault, *c.fault);
        EXPECT_EQ(problem->detail, c.detail);
    }
}

TEST(LanguageFile, AFolderScanKeepsTheFirstOfACodeSortsByCodeAndSaysWhatItPassedOver) {
    testing::ProgramFolder folder;
    folder.CopyFromBin("EN.ini");
    folder.WriteBytes("dev.ini", "[SystemOption]\r\nLanguage= 2\r\n");
    folder.WriteBytes("b.ini", "[Language]\nName=Deutsch 2\nCode=de\n");
    folder.WriteBytes("bad.ini", "[Language]\nName=?\n");
    const std::filesystem::path folders[] = {FixtureLanguageFolder(), folder.path(), folder.path()};
    const LanguageScan scan = ScanLanguageFolders(folders);
    const LanguageSet set(scan.languages);
    ASSERT_EQ(set.languages().size(), 3u);
    EXPECT_EQ(set.languages()[0].name, "Deutsch");
    EXPECT_EQ(set.languages()[1].code, "pt-BR");
    EXPECT_EQ(set.ValueOf("pt_br"), 4);
    EXPECT_EQ(set.Find(3), &set.languages()[0]);
    EXPECT_EQ(set.Find(5)->name, "Русский");
    EXPECT_EQ(set.Find(6), nullptr);
    ASSERT_EQ(scan.problems.size(), 2u);  // the folder named twice is read once
    EXPECT_EQ(scan.problems[0].fault, LanguageFileFault::SameCode);
    EXPECT_EQ(scan.problems[1].fault, LanguageFileFault::NoCode);
    const std::vector<std::string> quiet = LanguageFileNotes(scan.problems, 2, false);
    ASSERT_EQ(quiet.size(), 2u);
    EXPECT_EQ(quiet[1], "language file " + (folder / "bad.ini").string() + " not used: its [Language] section has no Code");
}

TEST(LanguageFile, TextAndCaptionsSpeakAnInstalledLanguageAndEnglishWhereItHasNone) {
    testing::ProgramFolder folder;
    folder.CopyFromBin("EN.ini");
    {
        const ScopedLanguages installed(LanguagesOf(FixtureLanguageFolder()));
        EXPECT_EQ(Text(3, TextId::CliNoCommand), "kein Befehl angegeben (siehe --help)");
        EXPECT_EQ(Text(3, TextId::ValueAfterColon, {"Größe", "8"}), "Größe: 8");
        EXPECT_EQ(Text(3, TextId::SerialTaken, {"7", "J"}), "serial number 7 (job J)");
        EXPECT_EQ(Text(4, TextId::CliNoCommand), "nenhum comando informado (veja --help)");
        EXPECT_EQ(Text(5, TextId::CliNoCommand), "команда не указана (см. --help)");
        EXPECT_EQ(Text(6, TextId::CliNoCommand), "no command given (see --help)");
        EXPECT_EQ(LanguageMenuItem(4), 4);
        EXPECT_EQ(LanguageMenuItem(6), 2);
        TextContext texts;
        texts.ProgramFolder = folder.path();
        texts.Language = 3;
        const LanguageFile file(texts);
        EXPECT_EQ(file.Text("AutoSel", "AutoSelTitle"), "Automatik-Optionen");
        EXPECT_EQ(file.Text("AutoSel", "AutoSelErase"), "Erase");  // from EN.ini
        const std::vector<AppliedCaption> captions = ReadLanguageTexts(texts, "v1");
        EXPECT_EQ(captions.front().text, "Datei(&F)");
        EXPECT_EQ(texts.DevLanguage.Cancel, "Abbrechen");
        EXPECT_EQ(texts.DevLanguage.LogChipErase, "Erasing chip...");
        const std::vector<std::string> traced = LanguageFileNotes({}, 2, true);
        ASSERT_EQ(traced.size(), 3u);
        EXPECT_EQ(traced[0].substr(0, traced[0].find(": ")),
                  "language file " + (FixtureLanguageFolder() / "de.ini").string() + " lacks " +
                      std::to_string(InstalledLanguages()->languages()[0].missing.size()) +
                      " keys, English is used for them");
        EXPECT_NE(traced[0].find("[Texts] SerialTaken"), std::string::npos);
    }
    EXPECT_EQ(Text(3, TextId::CliNoCommand), "no command given (see --help)");
}

TEST(LanguageChoice, LocaleLangOptionAndDevIniFindTheLanguage) {
    const std::shared_ptr<const LanguageSet> fixtures = LanguagesOf(FixtureLanguageFolder());  // de 3, pt-BR 4, ru 5
    const ScopedLanguages installed(fixtures);
    struct Case {
        const char* text;
        int32_t locale;                 // LanguageForLocale
        std::optional<int32_t> option;  // ParseLanguageChoice
    };
    const Case cases[] = {
        {"de_DE.UTF-8", 3, std::nullopt}, {"de_AT@euro", 3, std::nullopt}, {"pt_BR.UTF-8", 4, std::nullopt},
        {"pt_PT.UTF-8", 4, std::nullopt}, {"zh_TW.UTF-8", 1, std::nullopt}, {"fr_FR.UTF-8", 2, std::nullopt},
        {"C", 2, std::nullopt},           {"de", 3, 3},                     {"pt_BR", 4, 4},
        {"PT-br", 4, 4},                  {"pt", 4, 4},                     {"en", 2, 2},
        {"2", 2, 2},                      {"0", 2, 0},                      {"tc", 2, 1},
        {"zh-CN", 0, 0},                  {"7", 2, std::nullopt},           {"fr", 2, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageForLocale(c.text), c.locale) << c.text;
        EXPECT_EQ(ParseLanguageChoice(c.text), c.option) << c.text;
    }
    // dev.ini keeps a further language by its code: other files coming or
    // going do not change it, and a code without its file is the locale's.
    EXPECT_EQ(StoredLanguageOf(4).number, 2);
    EXPECT_EQ(StoredLanguageOf(4).code, "pt-BR");
    EXPECT_EQ(StoredLanguageOf(1).code, "");
    EXPECT_EQ(StoredLanguage(2, "pt-BR", 0), 4);
    EXPECT_EQ(StoredLanguage(2, "", 0), 2);
    EXPECT_EQ(StoredLanguage(9, "", 1), 1);
    testing::ProgramFolder more;
    more.WriteBytes("aa.ini", "[Language]\nName=Afar\nCode=aa\n");
    const std::filesystem::path folders[] = {FixtureLanguageFolder(), more.path()};
    const ScopedLanguages another(std::make_shared<const LanguageSet>(ScanLanguageFolders(folders).languages));
    EXPECT_EQ(StoredLanguage(2, "pt-BR", 0), 5);
    const ScopedLanguages none(std::make_shared<const LanguageSet>());
    EXPECT_EQ(StoredLanguage(2, "pt-BR", 1), 1);
}

}  // namespace
}  // namespace tq
