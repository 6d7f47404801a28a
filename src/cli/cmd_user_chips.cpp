// `user-chips`: the chips a user added to the chip database, as the user
// chip dialog manages them.
//   user-chips list
//   user-chips add NAME --algorithm CHIP [--maker MAKER] [--id ID]
//   user-chips modify NAME --algorithm CHIP [--maker MAKER] [--id ID]
//   user-chips delete NAME
//   user-chips export FILE
//   user-chips import FILE
// A user chip borrows every programming parameter of its algorithm, an
// existing SPI flash chip (`user-chips algorithms` lists them). Modify
// changes the capacity (from the algorithm), maker and ID; maker and ID not
// given keep their stored values. Export and import use the columns of the
// factory chip list; an import names every row it refuses and why.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/text_table.h"
#include "core/texts/language.h"
#include "core/app/user_chips.h"
#include "core/app/user_chips_csv.h"
#include "core/chipdb/chip_database.h"

namespace tq {

namespace {

struct UserChipArgs {
    std::string name;
    std::string algorithm;
    std::optional<std::string> maker;
    std::optional<std::string> id;
};

void List(CliContext& context) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    UserChipDialog dialog;
    dialog.MenuAddChipClick(session);
    std::vector<std::vector<std::string>> table;
    table.push_back({Triplet(language, "芯片名称", "晶片名稱", "Chip name"), Triplet(language, "厂商", "廠商", "Maker"),
                     "ID", Triplet(language, "容量", "容量", "Capacity")});
    for (int i = 0; i < static_cast<int>(dialog.UserChips().size()); ++i) {
        dialog.SelectUserChip(session, i);
        table.push_back({dialog.chipName, dialog.manufacturer, dialog.chipId, dialog.capacity});
    }
    context.out << dialog.CountLabel() << '\n';
    if (table.size() > 1) PrintTable(context.out, table);
}

void ListAlgorithms(CliContext& context) {
    Session& session = context.session();
    UserChipDialog dialog;
    dialog.MenuAddChipClick(session);
    for (const std::string& name : dialog.Algorithms()) context.out << name << '\n';
}

// Shows the named user chip in the dialog's edits, as a click on its entry does.
bool ShowUserChip(CliContext& context, UserChipDialog& dialog, const std::string& name) {
    Session& session = context.session();
    const std::vector<std::string>& names = dialog.UserChips();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        context.Fail(Triplet(session.Texts.Language, "没有这个用户自定义芯片：", "沒有這個用戶自定義晶片：",
                             "there is no user chip named ") +
                     name);
        return false;
    }
    dialog.SelectUserChip(session, static_cast<int>(found - names.begin()));
    return true;
}

enum class Change { Add, Modify, Delete };

void Apply(CliContext& context, Change change, const UserChipArgs& args) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    UserChipDialog dialog;
    dialog.MenuAddChipClick(session);
    if (change != Change::Add && !ShowUserChip(context, dialog, args.name)) return;
    dialog.chipName = args.name;
    if (!args.algorithm.empty()) {
        dialog.algorithm = args.algorithm;
        dialog.cmbSuanFaChange(session);
    }
    // Opening the dialog showed the first user chip: a new one starts empty.
    if (change == Change::Add) dialog.manufacturer = dialog.chipId = "";
    if (args.maker) dialog.manufacturer = *args.maker;
    if (args.id) dialog.chipId = *args.id;
    const UserChipResult result = change == Change::Add      ? dialog.btnAddClick(session)
                                  : change == Change::Modify ? dialog.btnModifyClick(session)
                                                             : dialog.btnDeleteClick(session);
    if (result.outcome != UserChipOutcome::Done) {
        context.exitCode = 1;  // the dialog's message says why
        return;
    }
    if (result.rowsChanged == 0) {
        context.Fail(Triplet(language, "没有改动任何芯片", "沒有改動任何晶片", "no chip was changed"));
        return;
    }
    context.out << Triplet(language, "完成：", "完成：", "Done: ") << args.name << '\n';
}

void Export(CliContext& context, const std::string& file) {
    Session& session = context.session();
    const UserChipExport result = ExportUserChips(session.Chip.database(), file, session.Texts.Language);
    if (!result.error.empty()) {
        context.Fail(result.error);
        return;
    }
    context.out << Triplet(session.Texts.Language, "已导出用户自定义芯片：", "已匯出用戶自定義晶片：",
                           "User chips exported: ")
                << result.exported << '\n';
}

// Exit status 1 when the file could not be used or a row was refused.
void Import(CliContext& context, const std::string& file) {
    Session& session = context.session();
    const UserChipImport result = ImportUserChips(session.Chip.database(), file, session.Texts.Language);
    const std::string report = ImportReportText(result, session.Texts.Language);
    if (!result.error.empty()) {
        context.Fail(report);
        return;
    }
    context.out << report << '\n';
    if (!result.refused.empty()) context.exitCode = 1;
}

}  // namespace

void RegisterUserChipCommands(CLI::App& app, CliContext& context) {
    CLI::App* group = app.add_subcommand("user-chips", "The chips added to the chip database by the user");
    group->require_subcommand(1);
    group->add_subcommand("list", "List the user chips")->callback([&context] { List(context); });
    group->add_subcommand("algorithms", "List the chips a user chip may borrow its parameters from")
        ->callback([&context] { ListAlgorithms(context); });

    struct Entry {
        const char* name;
        Change change;
        const char* description;
    };
    const Entry entries[] = {
        {"add", Change::Add, "Add a user chip"},
        {"modify", Change::Modify, "Change a user chip's capacity (from the algorithm), maker and ID"},
        {"delete", Change::Delete, "Delete a user chip"},
    };
    for (const Entry& entry : entries) {
        auto args = std::make_shared<UserChipArgs>();
        CLI::App* command = group->add_subcommand(entry.name, entry.description);
        command->add_option("NAME", args->name, "Chip name")->required();
        if (entry.change != Change::Delete) {
            command->add_option("--algorithm", args->algorithm, "The chip whose parameters it borrows")->required();
            command->add_option("--maker", args->maker, "Manufacturer");
            command->add_option("--id", args->id, "Chip ID: six hexadecimal digits, e.g. C84017");
        }
        const Change change = entry.change;
        command->callback([&context, change, args] { Apply(context, change, *args); });
    }

    auto file = std::make_shared<std::string>();
    CLI::App* exportCommand = group->add_subcommand("export", "Write the user chips to a CSV file (the columns of chips.csv)");
    exportCommand->add_option("FILE", *file, "CSV file")->required();
    exportCommand->callback([&context, file] { Export(context, *file); });
    CLI::App* importCommand = group->add_subcommand("import", "Add the chips of a CSV file as user chips");
    importCommand->add_option("FILE", *file, "CSV file")->required();
    importCommand->callback([&context, file] { Import(context, *file); });
}

}  // namespace tq
