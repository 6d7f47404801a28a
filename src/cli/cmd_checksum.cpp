// `checksum FILE`, `checksum --buffer FILE` and `checksum --chip`: CRC-32,
// MD5, SHA-256 and the program's own byte sum of a file's image (a HEX or
// S-record file as the image it describes, any other file as its bytes), of
// the chip-sized buffer that file makes for the chip named with -c (what the
// chip holds after an erase and a write of it), or of that chip, read as the
// read command reads it. --from/--to sum a part; --json prints one object.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/chip_command.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/terminal_views.h"
#include "core/base/number_text.h"
#include "core/app/checksum_request.h"

namespace tq {

namespace {

struct ChecksumArgs {
    std::string file;
    std::string bufferFile;
    bool chip = false;
    bool json = false;
    std::string from, to;
};

// The lines are for scripts: the same in every language.
void PrintReport(CliContext& context, const ChecksumArgs& args, const ChecksumReport& report) {
    for (const std::string& warning : report.warnings) context.err << "warning: " << warning << '\n';
    if (!report.ok) {
        if (report.chipRead != OperationOutcome::Succeeded) {
            ReportOutcome(context, ChipCommand::Read, report.chipRead);
            return;
        }
        // A range outside the image is a usage fault; an unreadable file is not.
        context.Fail(report.error, report.imageSize != 0 ? kExitUsage : 1);
        return;
    }
    const std::string first = "0x" + HexText(static_cast<uint32_t>(report.range.first), 6);
    const std::string last = "0x" + HexText(static_cast<uint32_t>(report.range.first + report.range.count - 1), 6);
    const DigestTexts& sums = report.sums;
    if (args.json) {
        context.out << JsonObject({{"source", JsonString(report.source)},
                                   {"first", JsonString(first)},
                                   {"last", JsonString(last)},
                                   {"bytes", std::to_string(report.range.count)},
                                   {"crc32", JsonString(sums.crc32)},
                                   {"md5", JsonString(sums.md5)},
                                   {"sha256", JsonString(sums.sha256)},
                                   {"checksum", JsonString(sums.sum)}})
                    << '\n';
        return;
    }
    context.out << report.source << ": " << report.range.count << " bytes, " << first << "-" << last << '\n'
                << "CRC-32:   " << sums.crc32 << '\n'
                << "MD5:      " << sums.md5 << '\n'
                << "SHA-256:  " << sums.sha256 << '\n'
                << "CheckSum: " << sums.sum << '\n';
}

void Sum(CliContext& context, const ChecksumArgs& args) {
    ChecksumRequest request{SumSource::File, args.file, args.from, args.to};
    if (args.chip) {
        request.source = SumSource::Chip;
        if (!ConnectForCommand(context) || !SelectGivenChip(context)) return;
    } else if (!args.bufferFile.empty()) {
        // The chip-sized buffer the file makes, as the desktop program's status bar sums it.
        request.source = SumSource::Buffer;
        if (!SelectGivenChip(context) || !LoadFileForCommand(context, args.bufferFile, 0, false)) return;
    }
    ChecksumReport report = ComputeChecksums(context.session(), request);
    if (args.chip) context.views().FinishBar();
    if (request.source == SumSource::Buffer) report.source = args.bufferFile + " (" + context.session().Chip.PrjInfo.ChipName + ")";
    PrintReport(context, args, report);
}

}  // namespace

void RegisterChecksumCommand(CLI::App& app, CliContext& context) {
    CLI::App* checksum =
        app.add_subcommand("checksum", "CRC-32, MD5, SHA-256 and the byte sum of a file's image or of the chip");
    auto args = std::make_shared<ChecksumArgs>();
    CLI::Option_group* source = checksum->add_option_group("source", "What to sum: FILE, --buffer FILE or --chip");
    source->add_option("FILE", args->file, "File to sum; HEX and S-record files give their image, any other its bytes");
    source->add_option("--buffer", args->bufferFile,
                       "The chip-sized buffer FILE makes for the chip named with -c (0xFF after its image)");
    source->add_flag("--chip", args->chip, "Read the chip named with -c and sum it");
    source->require_option(1);
    checksum->add_option("--from", args->from, "First address to sum, hex (default: the start)");
    checksum->add_option("--to", args->to, "Last address to sum, hex, inclusive (default: the end)");
    checksum->add_flag("--json", args->json, "Print one JSON object");
    checksum->callback([&context, args] { Sum(context, *args); });
}

}  // namespace tq
