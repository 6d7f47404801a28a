// `chips`: the chip database from the terminal.
//   chips [PATTERN] [--type TYPE] [--maker MAKER]   chips whose name contains PATTERN
//   chips --types [--platform CODE]                 the chip types a platform offers
// --json prints either list as a JSON array.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <memory>
#include <ostream>

#include "cli/cli_context.h"
#include "core/texts/text_catalogue.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/text_table.h"
#include "core/texts/language.h"
#include "core/chipdb/chip_database.h"

namespace tq {
namespace {

struct ChipsOptions {
    std::string pattern;
    std::string type;
    std::string maker;
    bool types = false;
    std::string platform;
    bool json = false;
};

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The platform codes are the [ChipType] columns besides TypeName.
std::vector<std::string> PlatformCodes(ChipDatabase& database) {
    QueryResult columns = database.QueryOpen("select name from pragma_table_info('ChipType') where name <> 'TypeName'");
    std::vector<std::string> codes;
    for (int i = 0; i < columns.Count(); ++i, columns.QueryNext()) codes.push_back(columns.FieldText("name"));
    return codes;
}

bool KnownPlatformCode(ChipDatabase& database, const std::string& code) {
    for (const std::string& known : PlatformCodes(database))
        if (SameText(known, code)) return true;
    return false;
}

std::string KnownPlatformList(ChipDatabase& database) {
    std::string list;
    for (const std::string& code : PlatformCodes(database)) list += (list.empty() ? "" : ", ") + code;
    return list;
}

void ListTypes(CliContext& context, const ChipsOptions& options) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    const std::string model = options.platform.empty() ? session.Device.DevInf.DefaultModel : options.platform;
    ChipDatabase& database = *session.Chip.Database;
    if (!options.platform.empty() && IsPlainIdentifier(PlatformCode(model)) &&
        !KnownPlatformCode(database, PlatformCode(model))) {
        context.Fail(Text(language, TextId::CliUnknownPlatform) +
                     PlatformCode(model) + " (" + KnownPlatformList(database) + ")");
        return;
    }
    const TypeList list = database.TypeListQuery(model);
    if (list.rejected) {
        context.Fail(list.Reason(language));
        return;
    }
    if (options.json) {
        std::vector<std::string> types;
        for (const std::string& type : list.types) types.push_back(JsonString(type));
        context.out << JsonArray(types) << '\n';
        return;
    }
    for (const std::string& type : list.types) context.out << type << '\n';
}

void ListChips(CliContext& context, const ChipsOptions& options) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    if (!options.type.empty() && ChipTypeCode(options.type) == 0) {
        bool known = false;
        for (const ChipFamily& family : ChipFamilies()) known = known || SameText(family.name, options.type);
        if (!known) {
            context.Fail(Text(language, TextId::CliUnknownChipType) +
                         options.type);
            return;
        }
    }
    if (options.json) {
        std::vector<std::string> chips;
        for (const ChipRow& row : session.Chip.Database->SearchQuery(options.pattern))
            if ((options.type.empty() || SameText(row.ChipType, options.type)) &&
                (options.maker.empty() || SameText(row.ManufName, options.maker)))
                chips.push_back(ChipJson(row));
        context.out << JsonArray(chips) << '\n';
        return;
    }
    std::vector<std::vector<std::string>> table;
    table.push_back({Text(language, TextId::ChipNameColumn), Text(language, TextId::ChipTypeColumn),
                     Text(language, TextId::MakerColumn), Text(language, TextId::SizeColumn), "ID"});
    for (const ChipRow& row : session.Chip.Database->SearchQuery(options.pattern)) {
        if (!options.type.empty() && !SameText(row.ChipType, options.type)) continue;
        if (!options.maker.empty() && !SameText(row.ManufName, options.maker)) continue;
        table.push_back({row.ChipName, row.ChipType, row.ManufName,
                         FormatSize(static_cast<uint64_t>(std::max<int64_t>(row.Capacity, 0))), row.ChipID});
    }
    const size_t found = table.size() - 1;
    if (found > 0) PrintTable(context.out, table);
    context.out << Text(language, TextId::ChipSearchResultCount) << found << '\n';
}

}  // namespace

void RegisterChipsCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<ChipsOptions>();
    CLI::App* chips = app.add_subcommand("chips", "List the chips of the database, sorted by size");
    chips->add_option("PATTERN", options->pattern, "Part of the chip name (% and _ are wildcards)");
    chips->add_option("--type", options->type, "Only chips of this type, e.g. \"SPI FLASH\"");
    chips->add_option("--maker", options->maker, "Only chips of this maker, e.g. WINBOND");
    CLI::Option* types = chips->add_flag("--types", options->types, "List the chip types a platform offers");
    chips->add_option("--platform", options->platform,
                      "Programmer model or platform code for --types (default: the remembered model)")
        ->needs(types);
    chips->add_flag("--json", options->json, "Print the list as a JSON array");
    chips->callback([&context, options] {
        if (options->types)
            ListTypes(context, *options);
        else
            ListChips(context, *options);
    });
}

}  // namespace tq
