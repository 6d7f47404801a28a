// `language list`: the languages the program speaks, the built-in three and
// every language file found, with the keys each file lacks.
// `language template`: the English reference a new translation starts from.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/text_table.h"
#include "core/app/language_files.h"
#include "core/app/program_folders.h"
#include "core/texts/language.h"
#include "core/texts/system_language.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

ProgramFolders Folders(const CliContext& context) {
    return ChooseProgramFolders(FolderEnvironment::FromProcess(context.options.programDir));
}

void ListLanguages(CliContext& context) {
    const int32_t language = context.options.language >= 0 ? context.options.language : context.usageLanguage;
    const TextPicker text(language);
    std::vector<std::vector<std::string>> table;
    std::string header = text(TextId::CliLanguageHeader);
    table.emplace_back();
    for (size_t start = 0;;) {
        const size_t tab = header.find('\t', start);
        table.back().push_back(header.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    const TextId names[] = {TextId::LanguageSimplifiedChinese, TextId::LanguageTraditionalChinese, TextId::LanguageEnglish};
    const char* codes[] = {"cn", "tc", "en"};
    for (int32_t builtIn = 0; builtIn < 3; ++builtIn)
        table.push_back({codes[builtIn], Text(builtIn, names[builtIn]), Text(2, names[builtIn]),
                         std::string(LanguageFileName(builtIn)) + " (" + text(TextId::CliLanguageBuiltIn) + ")", "0"});
    if (const std::shared_ptr<const LanguageSet> languages = InstalledLanguages())
        for (const FurtherLanguage& further : languages->languages())
            table.push_back({further.code, further.name, further.englishName, further.file.string(),
                             std::to_string(further.missing.size())});
    PrintTable(context.out, table);
    for (const std::string& note : LanguageFileNotes(context.languageProblems, language, context.options.trace))
        context.err << "tqprog-cli: " << note << '\n';
}

}  // namespace

void RegisterLanguageCommand(CLI::App& app, CliContext& context) {
    const TextPicker usage(context.usageLanguage);
    CLI::App* language = app.add_subcommand("language", usage(TextId::CliLanguageCommand));
    language->require_subcommand(1);
    language->add_subcommand("list", usage(TextId::CliLanguageList))->callback([&context] { ListLanguages(context); });
    language->add_subcommand("template", usage(TextId::CliLanguageTemplate))->callback([&context] {
        context.out << LanguageTemplate(Folders(context).program);
    });
}

}  // namespace tq
