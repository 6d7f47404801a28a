// `detect`: the programmer reads the ID of the chip in its socket and the
// chip database names it, as the main window's detect command does. One
// chip with that ID becomes the selected chip; several are listed and the
// selection stays as it was (choose one with -c). With -c the named chip is
// selected first, as a person would have chosen it before detecting.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/chip_command.h"
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
    table.push_back({Triplet(language, "芯片名称", "晶片名稱", "Chip name"), Triplet(language, "类型", "類型", "Type"),
                     Triplet(language, "厂商", "廠商", "Maker"), Triplet(language, "容量", "容量", "Size"), "ID"});
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
                context.Fail(Triplet(language, "有多个芯片符合：请用 -c 芯片名称 选择其中一个",
                                     "有多個晶片符合：請用 -c 晶片名稱 選擇其中一個",
                                     "several chips match: choose one of them with -c NAME"));
                return;
            }
            context.out << Triplet(language, "以下芯片的 ID 都是 ", "以下晶片的 ID 都是 ", "These chips share the ID ")
                        << result.id << ":\n";
            PrintChips(context, result.candidates);
            const std::string& selected = session.Chip.PrjInfo.ChipName;
            context.out << Triplet(language, "选择的芯片没有改变：", "選擇的晶片沒有改變：", "The selected chip is unchanged: ")
                        << (selected.empty() ? "-" : selected) << '\n';
            context.Fail(Triplet(language, "有多个芯片符合：请用 -c 芯片名称 选择其中一个",
                                 "有多個晶片符合：請用 -c 晶片名稱 選擇其中一個",
                                 "several chips match: choose one of them with -c NAME"));
            return;
        }
        case DetectStatus::UnknownId:
            context.Fail(Triplet(language, "芯片数据库中没有 ID 为 ", "晶片資料庫中沒有 ID 為 ",
                                 "the chip database has no chip with the ID ") +
                         result.id);
            return;
        case DetectStatus::NotInLists:
            context.Fail(Triplet(language, "该芯片的类型、厂商或名称不在本编程器的芯片列表中",
                                 "該晶片的類型、廠商或名稱不在本燒錄器的晶片清單中",
                                 "the chip's type, maker or name is not in this programmer's chip lists"));
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
