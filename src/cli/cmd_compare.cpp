// `compare A B` (two files) and `compare --chip FILE` (the chip named with -c
// against FILE loaded from --start, as verify loads it): the summary and the
// differing ranges, or one JSON object with --json. Exit 0 equal, 1
// different, 2 a file or chip that could not be read (a programmer or chip
// problem keeps its own status).
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/chip_command.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/terminal_views.h"
#include "core/base/number_text.h"
#include "core/buffer/compare_summary.h"
#include "core/buffer/image_formats.h"
#include "core/operations/compare_chip.h"
#include "core/texts/text_catalogue.h"

namespace tq {

namespace {

// Scripts get far more ranges than a person reads, still bounded.
constexpr size_t kJsonRanges = 10000;

struct CompareArgs {
    std::vector<std::string> files;
    bool chip = false;
    bool json = false;
};

struct Side {
    std::string name;
    uint64_t bytes = 0;
};

void PrintResult(CliContext& context, const CompareArgs& args, const Side& a, const Side& b,
                 const ImageDifference& difference, uint64_t address) {
    const int32_t language = context.Language();
    const CompareSummary summary = SummarizeDifference(difference, address, args.json ? kJsonRanges : kListedCompareRanges);
    if (args.json) {
        std::vector<std::string> ranges;
        for (const DifferenceRun& run : summary.listed)
            ranges.push_back(JsonObject({{"first", JsonString(CompareAddressText(run.first))},
                                         {"last", JsonString(CompareAddressText(run.last()))},
                                         {"bytes", std::to_string(run.length)}}));
        std::vector<std::pair<std::string, std::string>> members{
            {"a", JsonString(a.name)},
            {"a_bytes", std::to_string(a.bytes)},
            {"b", JsonString(b.name)},
            {"b_bytes", std::to_string(b.bytes)},
            {"equal", summary.equal() ? "true" : "false"},
            {"differing_bytes", std::to_string(summary.differingBytes)},
            {"range_count", std::to_string(summary.runCount)}};
        if (!summary.equal()) {
            members.emplace_back("first", JsonString(CompareAddressText(summary.firstAddress)));
            members.emplace_back("last", JsonString(CompareAddressText(summary.lastAddress)));
        }
        members.emplace_back("ranges", JsonArray(ranges));
        members.emplace_back("unlisted_ranges", std::to_string(summary.unlistedRuns));
        context.out << JsonObject(members) << '\n';
    } else {
        context.out << "A: " << Text(language, TextId::CompareSideCaption, {a.name, std::to_string(a.bytes)}) << '\n'
                    << "B: " << Text(language, TextId::CompareSideCaption, {b.name, std::to_string(b.bytes)}) << '\n'
                    << CompareSummaryLine(language, summary) << '\n';
        for (const std::string& line : CompareRangeLines(language, summary)) context.out << "  " << line << '\n';
    }
    context.exitCode = summary.equal() ? kExitOk : kExitFailed;
}

bool ReadFileImage(CliContext& context, const std::string& path, FileImage& image) {
    ImageReadOptions reading;
    reading.language = context.Language();
    const ConversionReport report = image.Read(path, reading);
    for (const std::string& warning : report.warnings) context.err << "warning: " << warning << '\n';
    if (!report.ok) context.Fail(report.error, kExitCompareError);
    return report.ok;
}

// Both images from their first byte; addresses are the first file's.
void CompareFiles(CliContext& context, const CompareArgs& args) {
    if (args.files.size() != 2) {
        context.Fail(Text(context.Language(), TextId::CompareGiveFiles), kExitUsage);
        return;
    }
    FileImage a, b;
    if (!ReadFileImage(context, args.files[0], a) || !ReadFileImage(context, args.files[1], b)) return;
    const auto bytesA = a.span().bytes, bytesB = b.span().bytes;
    PrintResult(context, args, {args.files[0], bytesA.size()}, {args.files[1], bytesB.size()},
                CompareImages(bytesA.data(), bytesA.size(), bytesB.data(), bytesB.size()), a.span().address);
}

void CompareWithChip(CliContext& context, const CompareArgs& args) {
    if (args.files.size() != 1) {
        context.Fail(Text(context.Language(), TextId::CompareGiveFiles), kExitUsage);
        return;
    }
    Session& session = context.session();
    std::optional<uint32_t> start;
    if (context.options.startGiven && !(start = ParseHexNumber(context.options.start))) {
        context.Fail(Text(context.Language(), TextId::HexOptionRefused, {"--start", context.options.start}), kExitUsage);
        return;
    }
    if (!ConnectForCommand(context) || !SelectGivenChip(context)) return;
    if (!LoadFileForCommand(context, args.files[0], start.value_or(0), false)) {
        context.exitCode = kExitCompareError;
        return;
    }
    session.Chip.PrjInfo.RamStartAddr = start.value_or(0);
    ChipComparison comparison;
    const OperationOutcome outcome = CompareChipWithBuffer(session.Operation, comparison);
    context.views().FinishBar();
    if (outcome != OperationOutcome::Succeeded) {
        ReportOutcome(context, ChipCommand::Read, outcome);
        // A read that failed is not "different".
        if (context.exitCode == kExitFailed) context.exitCode = kExitCompareError;
        return;
    }
    PrintResult(context, args, {args.files[0], comparison.length}, {session.Chip.PrjInfo.ChipName, comparison.length},
                comparison.difference, comparison.start);
}

}  // namespace

void RegisterCompareCommand(CLI::App& app, CliContext& context) {
    CLI::App* compare = app.add_subcommand(
        "compare", "Compare two files, or a file with the chip named with -c; exit 0 equal, 1 different, 2 error");
    auto args = std::make_shared<CompareArgs>();
    compare->add_option("FILES", args->files, "Two files (or one with --chip): binary, Intel HEX, S-record or CAP")
        ->required()
        ->expected(1, 2);
    compare->add_flag("--chip", args->chip, "Read the chip and compare it with FILE loaded from --start");
    compare->add_flag("--json", args->json, "Print one JSON object");
    compare->callback([&context, args] { args->chip ? CompareWithChip(context, *args) : CompareFiles(context, *args); });
}

}  // namespace tq
