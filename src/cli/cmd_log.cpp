// `log export`: the production log as a file for a spreadsheet or a record.
//   log export (--csv FILE | --json FILE) [--job NAME] [--station HOST] [--since TIME]
// FILE "-" is the standard output. TIME is compared as text with the rows'
// UTC times, so "2026-12-10" means from that day on.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/production_hook.h"
#include "core/base/atomic_write.h"
#include "core/production/log_export.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

struct ExportOptions {
    std::string csv;
    std::string json;
    LogQuery query;
};

std::string LogJson(const std::vector<RunRecord>& runs) {
    const std::vector<std::string>& columns = LogColumns();
    std::vector<std::string> rows;
    for (const RunRecord& run : runs) {
        const std::vector<std::string> fields = LogFields(run);
        std::vector<std::pair<std::string, std::string>> members;
        for (size_t i = 0; i < columns.size(); ++i) {
            std::string value = JsonString(fields[i]);
            if (columns[i] == "duration_ms") value = fields[i];
            if (columns[i] == "serial") value = run.serial ? fields[i] : "null";
            if (columns[i] == "serial_void") value = run.SerialVoid() ? "true" : "false";
            members.emplace_back(columns[i], value);
        }
        rows.push_back(JsonObject(members));
    }
    return JsonArray(rows) + "\n";
}

void ExportLog(CliContext& context, const ExportOptions& options) {
    const int32_t language = context.Language();
    if (options.csv.empty() == options.json.empty()) {
        context.Fail(Text(language, TextId::LogExportNeedsFile), kExitUsage);
        return;
    }
    std::vector<RunRecord> runs;
    try {
        runs = OpenProductionLedger(LedgerLocation(context))->Query(options.query);
    } catch (const LedgerError& error) {
        context.Fail(LedgerFailureText(language, error));
        return;
    }
    const std::string& file = options.csv.empty() ? options.json : options.csv;
    const std::string text = options.csv.empty() ? LogJson(runs) : LogCsv(runs);
    if (file == "-") {
        context.out << text;
        return;
    }
    const std::string error = WriteFileAtomically(file, text);
    if (!error.empty()) {
        context.Fail(Text(language, TextId::LogExportFailed, {error}));
        return;
    }
    context.out << Text(language, TextId::LogExported, {std::to_string(runs.size()), file}) << '\n';
}

}  // namespace

void RegisterLogCommands(CLI::App& app, CliContext& context) {
    CLI::App* log = app.add_subcommand("log", "The production log: one row per programming run");
    log->require_subcommand(1);
    auto options = std::make_shared<ExportOptions>();
    CLI::App* exporter = log->add_subcommand("export", "Write the production log as CSV or JSON");
    exporter->add_option("--csv", options->csv, "CSV file to write (- for the standard output)");
    exporter->add_option("--json", options->json, "JSON file to write (- for the standard output)");
    exporter->add_option("--job", options->query.job, "Only the rows of this job");
    exporter->add_option("--station", options->query.station, "Only the rows of this station (host name)");
    exporter->add_option("--since", options->query.since, "Only rows from this UTC time on, e.g. 2026-12-10");
    exporter->callback([&context, options] { ExportLog(context, *options); });
}

}  // namespace tq
