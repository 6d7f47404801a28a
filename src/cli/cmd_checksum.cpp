// `checksum FILE` and `checksum --chip`: CRC-32, MD5, SHA-256 and the
// program's own byte sum of a file's image (a HEX or S-record file as the
// image it describes, any other file as its bytes) or of the chip named with
// -c, read as the read command reads it. --json prints one object instead.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/chip_command.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/terminal_views.h"
#include "core/base/number_text.h"
#include "core/buffer/image_digests.h"
#include "core/buffer/image_formats.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"

namespace tq {

namespace {

struct ChecksumArgs {
    std::string file;
    bool chip = false;
    bool json = false;
};

// The lines are for scripts: the same in every language.
void PrintDigests(CliContext& context, const ChecksumArgs& args, const std::string& source, const uint8_t* bytes,
                  size_t count) {
    const ImageDigests digests = DigestsOf(bytes, count);
    const std::string crc = Crc32Hex(digests.crc32);
    const std::string md5 = DigestHex(digests.md5.data(), digests.md5.size());
    const std::string sha256 = DigestHex(digests.sha256.data(), digests.sha256.size());
    const std::string sum = "0x" + HexText(digests.sum, 8);
    if (args.json) {
        context.out << JsonObject({{"source", JsonString(source)},
                                   {"bytes", std::to_string(count)},
                                   {"crc32", JsonString(crc)},
                                   {"md5", JsonString(md5)},
                                   {"sha256", JsonString(sha256)},
                                   {"checksum", JsonString(sum)}})
                    << '\n';
        return;
    }
    context.out << source << ": " << count << " bytes\n"
                << "CRC-32:   " << crc << '\n'
                << "MD5:      " << md5 << '\n'
                << "SHA-256:  " << sha256 << '\n'
                << "CheckSum: " << sum << '\n';
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

void SumChip(CliContext& context, const ChecksumArgs& args) {
    if (!ConnectForCommand(context) || !SelectGivenChip(context)) return;
    Session& session = context.session();
    const OperationOutcome outcome = ReadChip(session.Operation);
    context.views().FinishBar();
    if (outcome != OperationOutcome::Succeeded) {
        ReportOutcome(context, ChipCommand::Read, outcome);
        return;
    }
    const Ram_File_Info_Struct& buffer = session.Buffer.RamFile;
    PrintDigests(context, args, session.Chip.PrjInfo.ChipName, buffer.Data.data(), WriteLength(session.Operation));
}

}  // namespace

void RegisterChecksumCommand(CLI::App& app, CliContext& context) {
    CLI::App* checksum =
        app.add_subcommand("checksum", "CRC-32, MD5, SHA-256 and the byte sum of a file's image or of the chip");
    auto args = std::make_shared<ChecksumArgs>();
    CLI::Option_group* source = checksum->add_option_group("source", "What to sum: FILE or --chip");
    source->add_option("FILE", args->file, "File to sum; HEX and S-record files give their image, any other its bytes");
    source->add_flag("--chip", args->chip, "Read the chip named with -c and sum it");
    source->require_option(1);
    checksum->add_flag("--json", args->json, "Print one JSON object");
    checksum->callback([&context, args] { args->chip ? SumChip(context, *args) : SumFile(context, *args); });
}

}  // namespace tq
