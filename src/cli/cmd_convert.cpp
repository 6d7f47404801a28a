// `convert IN OUT`: reads IN in the format its extension names (binary,
// Intel HEX, CAP, S-record) and writes the image to OUT in the format its
// extension names. A HEX or S-record output keeps the address the input gave
// its first byte, unless --address names another. The image goes from one
// file to the other in memory; the output is replaced whole, and only once
// the input was read.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "core/base/number_text.h"
#include "core/buffer/image_formats.h"
#include "core/texts/text_catalogue.h"

namespace tq {

void RegisterConvertCommand(CLI::App& app, CliContext& context) {
    CLI::App* convert = app.add_subcommand(
        "convert", "Convert between binary, Intel HEX (.hex), CAP (.cap, read only) and S-record (.srec .s19 .s28 .s37) files");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto address = std::make_shared<std::string>();
    auto addressGiven = std::make_shared<bool>(false);
    convert->add_option("IN", *in, "File to read; its extension tells its type (any other: binary)")->required();
    convert->add_option("OUT", *out, "File to write; .hex and the S-record extensions write text, any other binary")
        ->required();
    convert->add_option("--address", *address, "Hex address of the first byte in a HEX or S-record output")
        ->each([addressGiven](const std::string&) { *addressGiven = true; });
    convert->callback([&context, in, out, address, addressGiven] {
        const int32_t language = context.Language();
        const ImageFormatRow& source = ImageFormatOf(*in);
        const ImageFormatRow& target = ImageFormatOf(*out);
        if (!target.write) {
            context.Fail(Text(language, TextId::CapIsReadOnly, {*out}));
            return;
        }
        if (IsBinaryFormat(source) && IsBinaryFormat(target)) {
            context.Fail(Text(language, TextId::NothingToConvert, {*in, *out}));
            return;
        }
        std::optional<uint32_t> firstAddress;
        if (*addressGiven && !(firstAddress = ParseHexNumber(*address))) {
            context.Fail(Text(language, TextId::HexOptionRefused, {"--address", *address}), kExitUsage);
            return;
        }
        FileImage image;
        ImageReadOptions reading;
        reading.language = language;
        const ConversionReport report = image.Read(*in, reading);
        for (const std::string& warning : report.warnings) context.err << "warning: " << warning << '\n';
        if (!report.ok) {
            context.Fail(report.error);
            return;
        }
        ImageSpan written = image.span();
        if (written.bytes.empty()) {
            context.Fail(Text(language, TextId::SourceHoldsNoImage, {*in}));
            return;
        }
        if (firstAddress) written.address = *firstAddress;
        std::string error;
        if (!WriteImageFile(*out, written, Durability::Flushed, error, language)) {
            context.Fail(error);
            return;
        }
        // The result line is for scripts: the same in every language.
        context.out << *out << ": " << written.bytes.size() << " bytes";
        if (!IsBinaryFormat(target)) context.out << " from address " << HexText(static_cast<uint32_t>(written.address), 8);
        context.out << '\n';
    });
}

}  // namespace tq
