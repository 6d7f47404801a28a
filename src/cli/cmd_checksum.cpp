// `checksum FILE`, `checksum --buffer FILE` and `checksum --chip`: CRC-32,
// MD5, SHA-256 and the program's own byte sum of a file's image (a HEX or
// S-record file as the image it describes, any other file as its bytes), of
// the chip-sized buffer that file makes for the chip named with -c (what the
// chip holds after an erase and a write of it), or of that chip, read as the
// read command reads it. --from/--to sum a part; --json prints one object.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "cli/chip_command.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/terminal_views.h"
#include "core/base/number_text.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/image_digests.h"
#include "core/buffer/image_formats.h"
#include "core/operations/read_verify.h"

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
void PrintDigests(CliContext& context, const ChecksumArgs& args, const std::string& source, const uint8_t* bytes,
                  size_t size) {
    std::string error;
    const std::optional<SumRange> range = ParseSumRange(context.Language(), args.from, args.to, size, error);
    if (!range) {
        context.Fail(error, kExitUsage);
        return;
    }
    const DigestTexts sums = TextsOf(DigestsOf(bytes + range->first, range->count));
    const std::string first = "0x" + HexText(static_cast<uint32_t>(range->first), 6);
    const std::string last = "0x" + HexText(static_cast<uint32_t>(range->first + range->count - 1), 6);
    if (args.json) {
        context.out << JsonObject({{"source", JsonString(source)},
                                   {"first", JsonString(first)},
                                   {"last", JsonString(last)},
                                   {"bytes", std::to_string(range->count)},
                                   {"crc32", JsonString(sums.crc32)},
                                   {"md5", JsonString(sums.md5)},
                                   {"sha256", JsonString(sums.sha256)},
                                   {"checksum", JsonString(sums.sum)}})
                    << '\n';
        return;
    }
    context.out << source << ": " << range->count << " bytes, " << first << "-" << last << '\n'
                << "CRC-32:   " << sums.crc32 << '\n'
                << "MD5:      " << sums.md5 << '\n'
                << "SHA-256:  " << sums.sha256 << '\n'
                << "CheckSum: " << sums.sum << '\n';
}

void SumFile(CliContext& context, const ChecksumArgs& args) {
    FileImage image;
    ImageReadOptions reading;
    reading.language = context.Language();
    const ConversionReport report = image.Read(args.file, reading);
    for (const std::string& warning : report.warnings) context.err << "warning: " << warning << '\n';
    if (!report.ok) {
        context.Fail(report.error);
        return;
    }
    const auto bytes = image.span().bytes;
    PrintDigests(context, args, args.file, bytes.data(), bytes.size());
}

// The whole chip-sized buffer, as the desktop program's status bar sums it.
void SumBuffer(CliContext& context, const ChecksumArgs& args) {
    if (!SelectGivenChip(context)) return;
    Session& session = context.session();
    if (!LoadFileForCommand(context, args.bufferFile, 0, false)) return;
    const Ram_File_Info_Struct& buffer = session.Buffer.RamFile;
    PrintDigests(context, args, args.bufferFile + " (" + session.Chip.PrjInfo.ChipName + ")", buffer.Data.data(),
                 StorageBound(session.Buffer));
}

void SumChip(CliContext& context, const ChecksumArgs& args) {
    if (!ConnectForCommand(context) || !SelectGivenChip(context)) return;
    Session& session = context.session();
    std::vector<uint8_t> chip;
    const OperationOutcome outcome = CopyChip(session.Operation, chip);
    context.views().FinishBar();
    if (outcome != OperationOutcome::Succeeded) {
        ReportOutcome(context, ChipCommand::Read, outcome);
        return;
    }
    PrintDigests(context, args, session.Chip.PrjInfo.ChipName, chip.data(), chip.size());
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
    checksum->callback([&context, args] {
        if (args->chip)
            SumChip(context, *args);
        else if (!args->bufferFile.empty())
            SumBuffer(context, *args);
        else
            SumFile(context, *args);
    });
}

}  // namespace tq
