// Further languages on the command line: chosen by the locale, --lang or
// dev.ini, listed, traced, and the template a new translation starts from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "cli/exit_status.h"
#include "core/texts/language_set.h"
#include "core/texts/text_catalogue.h"
#include "support/environment.h"
#include "support/expect.h"
#include "support/fixture_languages.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;

// A program folder with the fixture German and Brazilian Portuguese files.
struct LanguageFolder : testing::SimCliFolder {
    LanguageFolder() {
        for (const char* name : {"de.ini", "pt-BR.ini"})
            std::filesystem::copy_file(testing::FixtureLanguageFolder() / name, path() / name);
    }
};

// Sets the locale variables for one scope and puts them back.
struct LocaleScope {
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    explicit LocaleScope(const char* lang) {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            testing::UnsetEnvironment(name);
        }
        testing::SetEnvironment("LANG", lang);
    }
    ~LocaleScope() {
        for (const auto& [name, value] : saved) value ? testing::SetEnvironment(name, value->c_str()) : testing::UnsetEnvironment(name);
    }
};

TEST(LanguageCli, TheLocaleLangOrDevIniChoosesAFurtherLanguage) {
    LanguageFolder folder;
    struct Case {
        const char* lang;
        std::string devIni;
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "", {"chips", "NONE-SUCH"}, "Gefundene Chips: 0\n"},
        {"pt_BR.UTF-8", "", {"chips", "NONE-SUCH"}, "Total encontrado: 0\n"},
        {"pt_PT.UTF-8", "", {"chips", "NONE-SUCH"}, "Total encontrado: 0\n"},
        {"fr_FR.UTF-8", "", {"chips", "NONE-SUCH"}, "Total result: 0\n"},
        {"zh_TW.UTF-8", "", {"chips", "NONE-SUCH"}, "共搜索到: 0\n"},
        {"pt_BR.UTF-8", "", {"--lang", "de", "chips", "NONE-SUCH"}, "Gefundene Chips: 0\n"},
        {"de_DE.UTF-8", "", {"--lang=pt_BR", "chips", "NONE-SUCH"}, "Total encontrado: 0\n"},
        {"pt_BR.UTF-8", "[SystemOption]\r\nLanguage= 2\r\n[tqprog]\r\nLanguageCode=de\r\n", {"chips", "NONE-SUCH"},
         "Gefundene Chips: 0\n"},
        {"pt_BR.UTF-8", "[SystemOption]\r\nLanguage= 2\r\n[tqprog]\r\nLanguageCode=fr\r\n", {"chips", "NONE-SUCH"},
         "Total encontrado: 0\n"},
        {"de_DE.UTF-8", "", {"--lang", "de"}, "tqprog-cli: kein Befehl angegeben (siehe --help)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lang) + " " + c.devIni + " " + c.args.front());
        const LocaleScope locale(c.lang);
        std::filesystem::remove(folder / "dev.ini");
        if (!c.devIni.empty()) folder.WriteBytes("dev.ini", c.devIni);
        const CliResult run = folder.Run(c.args);
        EXPECT_SAYS(run.out + run.err, c.says);
    }
}

TEST(LanguageCli, UnknownCodesAreRefusedListedTracedAndBrokenFilesSaid) {
    LanguageFolder folder;
    const LocaleScope locale("en_GB.UTF-8");  // the refusal speaks the system's language
    const CliResult unknown = folder.Run({"--lang", "xx", "chips"});
    EXPECT_EQ(unknown.status, kExitUsage);
    EXPECT_SAYS(unknown.err, "--lang: 0, 1 or 2; or a language code: de, pt-BR");
    EXPECT_SAYS(folder.Run({"--lang", "2", "--help"}).out, "or a language code: de, pt-BR");

    folder.WriteBytes("broken.ini", "[Language]\nName=Broken\n");
    const CliResult list = folder.Run({"--lang", "2", "language", "list"});
    EXPECT_EQ(list.status, kExitOk) << list.err;
    for (const char* says : {"cn ", "简体中文", "Deutsch", "German", "Português (Brasil)", "pt-BR.ini"}) EXPECT_SAYS(list.out, says);
    EXPECT_SAYS(list.err, "broken.ini not used: its [Language] section has no Code");
    EXPECT_NOT_SAYS(list.err, "lacks");

    const CliResult traced = folder.Run({"--lang", "2", "--trace", "chips", "NONE-SUCH"});
    EXPECT_SAYS(traced.err, "de.ini lacks ");
    EXPECT_SAYS(traced.err, "[Texts] SerialTaken");
    EXPECT_SAYS(traced.err, "broken.ini not used");
    EXPECT_NOT_SAYS(folder.Run({"--lang", "2", "chips", "NONE-SUCH"}).err, "lacks");
}

// The template is itself a complete language file: renamed, it installs
// with nothing missing and reads as English.
TEST(LanguageCli, TheTemplateIsACompleteLanguageFile) {
    testing::SimCliFolder folder;
    const CliResult run = folder.Run({"language", "template"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    std::string file = run.out;
    const size_t code = file.find("\nCode=en\n");
    ASSERT_NE(code, std::string::npos);
    file.replace(code, 9, "\nCode=xx\n");
    std::optional<LanguageFileProblem> problem;
    const std::optional<FurtherLanguage> language = ParseLanguageFile(file, "xx.ini", problem);
    ASSERT_TRUE(language) << (problem ? problem->detail : "");
    EXPECT_EQ(language->missing, std::vector<std::string>{});
    for (size_t i = 0; i < TextCount(); ++i)
        EXPECT_EQ(language->texts[i], Text(2, static_cast<TextId>(i))) << TextKey(static_cast<TextId>(i));
    EXPECT_EQ(language->Caption("Log", "LogChipErase"), "Erasing chip...");
}

}  // namespace
}  // namespace tq
