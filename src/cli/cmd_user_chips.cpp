// `user-chips`: the chips a user added to the chip database.
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
#include "core/texts/text_catalogue.h"
#include "core/app/user_chips.h"
#include "core/app/user_chips_csv.h"
#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_row.h"

namespace tq {

namespace {

struct UserChipArgs {
    std::string name;
    std::string algorithm;
    std::optional<std::string> maker;
    std::optional<std::string> id;
};

UserChipContext UserChips(CliContext& context) { return UserChipContextOf(context.session()); }

void List(CliContext& context) {
    const UserChipContext chips = UserChips(context);
    const TextPicker text(chips.language);
    const std::vector<ChipRow> rows = chips.database.UserRowsQuery();
    std::vector<std::vector<std::string>> table;
    table.push_back({text(TextId::UserChipListName), text(TextId::UserChipListMaker), "ID", text(TextId::UserChipListCapacity)});
    for (const ChipRow& row : rows) table.push_back({row.ChipName, row.ManufName, row.ChipID, std::to_string(row.Capacity)});
    context.out << text(TextId::UserChipCountPrefix) << rows.size() << '\n';
    if (table.size() > 1) PrintTable(context.out, table);
}

void ListAlgorithms(CliContext& context) {
    for (const ChipRow& row : UserChips(context).database.AlgorithmListQuery()) context.out << row.ChipName << '\n';
}

// The stored user chip of that name, or the reason on stderr.
std::optional<ChipRow> StoredUserChip(CliContext& context, const UserChipContext& chips, const std::string& name) {
    const std::vector<ChipRow> rows = chips.database.UserRowQuery(name);
    if (rows.empty()) {
        context.Fail(Text(chips.language, TextId::UserChipNoSuchChip, {name}));
        return std::nullopt;
    }
    return rows.front();
}

enum class Change { Add, Modify, Delete };

void Apply(CliContext& context, Change change, const UserChipArgs& args) {
    const UserChipContext chips = UserChips(context);
    UserChip chip{args.name, args.maker.value_or(""), args.id.value_or(""), args.algorithm};
    if (change != Change::Add) {
        // Maker and ID not given keep their stored values.
        const std::optional<ChipRow> stored = StoredUserChip(context, chips, args.name);
        if (!stored) return;
        if (!args.maker) chip.maker = stored->ManufName;
        if (!args.id) chip.id = stored->ChipID;
    }
    const UserChipResult result = change == Change::Add      ? AddUserChip(chips, chip)
                                  : change == Change::Modify ? ModifyUserChip(chips, chip)
                                                             : DeleteUserChip(chips, chip);
    if (result.outcome != UserChipOutcome::Done) {
        context.exitCode = 1;  // the message says why
        return;
    }
    if (result.rowsChanged == 0) {
        context.Fail(Text(chips.language, TextId::UserChipNothingChanged));
        return;
    }
    context.out << Text(chips.language, TextId::UserChipDone, {args.name}) << '\n';
}

void Export(CliContext& context, const std::string& file) {
    Session& session = context.session();
    const UserChipExport result = ExportUserChips(session.Chip.database(), file, session.Texts.Language);
    if (!result.error.empty()) {
        context.Fail(result.error);
        return;
    }
    context.out << Text(session.Texts.Language, TextId::UserChipsExported, {std::to_string(result.exported)}) << '\n';
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
