// `detect`: the programmer reads the ID of the chip in its socket and the
// chip database names it, as the main window's detect command does. One
// chip with that ID becomes the selected chip; several are listed and the
// selection stays as it was (choose one with -c). With -c the named chip is
// selected first, as a person would have chosen it before detecting.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/chip_command.h"
#include "core/texts/text_catalogue.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/text_table.h"
#include "core/texts/language.h"
#include "core/chipdb/chip_row.h"
#include "core/app/chip_detect.h"

namespace tq {

namespace {

void PrintChips(CliContext& context, const std::vector<ChipRow>& rows) {
    const int32_t language = context.session().Texts.Language;
    std::vector<std::vector<std::string>> table;
    table.push_back({Text(language, TextId::ChipNameColumn), Text(language, TextId::ChipTypeColumn),
                     Text(language, TextId::MakerColumn), Text(language, TextId::SizeColumn), "ID"});
    for (const ChipRow& row : rows)
        table.push_back({row.ChipName, row.ChipType, row.ManufName,
                         FormatSize(row.Capacity > 0 ? static_cast<uint64_t>(row.Capacity) : 0), row.ChipID});
    PrintTable(context.out, table);
}

std::string ChipsJson(const std::vector<ChipRow>& rows) {
    std::vector<std::string> chips;
    for (const ChipRow& row : rows) chips.push_back(ChipJson(row));
    return JsonArray(chips);
}

void RunDetect(CliContext& context, bool json) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    if (!ConnectForCommand(context)) return;
    if (!context.options.chip.empty() && !SelectGivenChip(context)) return;

    const DetectResult result = DetectChip(session);
    switch (result.status) {
        case DetectStatus::Selected:
            if (json)
                context.out << JsonObject({{"id", JsonString(result.id)},
                                           {"selected", JsonString(result.candidates.front().ChipName)},
                                           {"chips", ChipsJson({result.candidates.front()})}})
                            << '\n';
            else
                PrintChips(context, {result.candidates.front()});
            return;
        case DetectStatus::Candidates: {
            if (json) {
                context.out << JsonObject({{"id", JsonString(result.id)},
                                           {"selected", "null"},
                                           {"chips", ChipsJson(result.candidates)}})
                            << '\n';
                context.Fail(Text(language, TextId::CliSeveralChipsMatch));
                return;
            }
            context.out << Text(language, TextId::CliChipsShareId)
                        << result.id << ":\n";
            PrintChips(context, result.candidates);
            const std::string& selected = session.Chip.PrjInfo.ChipName;
            context.out << Text(language, TextId::CliSelectionUnchanged)
                        << (selected.empty() ? "-" : selected) << '\n';
            context.Fail(Text(language, TextId::CliSeveralChipsMatch));
            return;
        }
        case DetectStatus::UnknownId:
            context.Fail(Text(language, TextId::CliUnknownChipId) +
                         result.id);
            return;
        case DetectStatus::NotInLists:
            context.Fail(Text(language, TextId::CliChipNotListed));
            return;
        case DetectStatus::Failed:
            ReportOutcome(context, ChipCommand::Detect,
                          result.outcome == OperationOutcome::Succeeded ? OperationOutcome::Failed : result.outcome);
            return;
    }
}

}  // namespace

void RegisterDetectCommand(CLI::App& app, CliContext& context) {
    CLI::App* detect = app.add_subcommand("detect", "Read the ID of the chip in the socket and select the chip it names");
    auto json = std::make_shared<bool>(false);
    detect->add_flag("--json", *json, "Print the ID and the chips it names as a JSON object");
    detect->callback([&context, json] { RunDetect(context, *json); });
}

}  // namespace tq
