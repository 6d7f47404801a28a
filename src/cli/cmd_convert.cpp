// `convert IN OUT`: turns an Intel HEX (.hex) or CAP (.cap) file into the
// binary image the program would load from it.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <memory>
#include <ostream>

#include "cli/cli_context.h"
#include "core/texts/language.h"
#include "cli/commands.h"
#include "core/buffer/cap_conversion.h"
#include "core/buffer/hex_conversion.h"

namespace tq {
namespace {

// The text after the last "." (the first 10 characters of the path when it
// has none), at most 10 characters, in lower case: how the program tells a
// HEX or CAP file from a binary one.
std::string LowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    std::string extension = (dot == std::string::npos ? path : path.substr(dot + 1)).substr(0, 10);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

void RegisterConvertCommand(CLI::App& app, CliContext& context) {
    CLI::App* convert = app.add_subcommand("convert", "Convert an Intel HEX (.hex) or CAP (.cap) file into a binary image");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    convert->add_option("IN", *in, "Intel HEX or CAP file, told apart by its extension")->required();
    convert->add_option("OUT", *out, "Binary image to write")->required();
    convert->callback([&context, in, out] {
        const std::string extension = LowerExtension(*in);
        ConversionReport report;
        if (extension == "hex") {
            report = HexToBin(*in, *out);
        } else if (extension == "cap") {
            report = CapToBin(*in, *out);
        } else {
            context.Fail(*in + Triplet(context.Language(), " 既不是 Intel HEX (.hex) 也不是 CAP (.cap) 文件",
                                       " 既不是 Intel HEX (.hex) 也不是 CAP (.cap) 檔案",
                                       " is neither an Intel HEX (.hex) nor a CAP (.cap) file"));
            return;
        }
        for (const std::string& warning : report.warnings) context.err << "warning: " << warning << '\n';
        if (!report.ok) {
            context.Fail(report.error);
            return;
        }
        if (ImageLeftEmpty(report)) {
            context.Fail(*in + " holds no image; " + *out + " is empty");
            return;
        }
        std::error_code ec;
        const auto size = std::filesystem::file_size(*out, ec);
        context.out << *out << ": " << size << " bytes\n";
    });
}

}  // namespace tq
