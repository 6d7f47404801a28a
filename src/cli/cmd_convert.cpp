// `convert IN OUT`: turns a binary image, Intel HEX (.hex), CAP (.cap) or
// S-record (.srec .s19 .s28 .s37) file into any of binary, Intel HEX or
// S-record, each told by its extension. A HEX or S-record output keeps the
// address the input gave its first byte, unless --address names another.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/cli_context.h"
#include "core/texts/language.h"
#include "cli/commands.h"
#include "core/base/number_text.h"
#include "core/buffer/cap_conversion.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_conversion.h"
#include "core/buffer/hex_field.h"
#include "core/buffer/image_export.h"
#include "core/buffer/srec_conversion.h"

namespace tq {
namespace {

enum class Source { Binary, IntelHex, Cap, Srec };

Source SourceOf(const std::string& path) {
    const std::string extension = FileExtension(path);
    if (extension == "cap") return Source::Cap;
    const ImageFormat format = ImageFormatOf(extension);
    if (format == ImageFormat::IntelHex) return Source::IntelHex;
    return IsSrecFormat(format) ? Source::Srec : Source::Binary;
}

ConversionReport ConvertToBinary(Source source, const std::string& in, const std::filesystem::path& out) {
    switch (source) {
        case Source::IntelHex: return HexToBin(in, out);
        case Source::Cap: return CapToBin(in, out);
        case Source::Srec: return SrecToBin(in, out);
        case Source::Binary: break;
    }
    return {};
}

std::optional<std::vector<uint8_t>> ReadWhole(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

void RegisterConvertCommand(CLI::App& app, CliContext& context) {
    CLI::App* convert = app.add_subcommand(
        "convert", "Convert between binary, Intel HEX (.hex), CAP (.cap, read only) and S-record (.srec .s19 .s28 .s37) files");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto address = std::make_shared<std::string>();
    convert->add_option("IN", *in, "File to read; its extension tells its type (any other: binary)")->required();
    convert->add_option("OUT", *out, "File to write; .hex and the S-record extensions write text, any other binary")
        ->required();
    convert->add_option("--address", *address, "Hex address of the first byte in a HEX or S-record output");
    convert->callback([&context, in, out, address] {
        const Source source = SourceOf(*in);
        const ImageFormat target = ImageFormatOf(FileExtension(*out));
        if (FileExtension(*out) == "cap") {
            context.Fail(*out + Triplet(context.Language(), "：CAP 文件只读不写（其文件头格式未知）", "：CAP 檔案只讀不寫（其檔頭格式未知）",
                                             ": CAP files are read, never written (their header is not known)"));
            return;
        }
        if (source == Source::Binary && target == ImageFormat::Binary) {
            context.Fail(*in + Triplet(context.Language(), " 和 ", " 和 ", " and ") + *out +
                         Triplet(context.Language(), " 都是二进制映像：无需转换", " 都是二進位映像：無需轉換",
                                 " are both binary images: nothing to convert"));
            return;
        }
        std::optional<uint32_t> firstAddress;
        if (!address->empty() && !(firstAddress = ParseHexNumber(*address))) {
            context.Fail("--address " + *address +
                         Triplet(context.Language(), " 不是 1 到 8 位的十六进制数", " 不是 1 到 8 位的十六進位數",
                                 " is not a hex number of 1 to 8 digits"));
            return;
        }
        // Text and CAP inputs become a binary image first: the output itself
        // when binary is wanted, else a scratch file of this process's own in
        // the system's temporary folder (never a file of the user's).
        const std::filesystem::path imagePath =
            target == ImageFormat::Binary
                ? std::filesystem::path(*out)
                : std::filesystem::temp_directory_path() / ("tqprog-convert-" + std::to_string(::getpid()) + ".bin");
        uint64_t imageAddress = 0;
        if (source != Source::Binary) {
            const ConversionReport report = ConvertToBinary(source, *in, imagePath);
            for (const std::string& warning : report.warnings) context.err << "warning: " << warning << '\n';
            if (!report.ok || ImageLeftEmpty(report)) {
                if (imagePath != *out) std::filesystem::remove(imagePath);
                context.Fail(report.ok ? *in + Triplet(context.Language(), " 不含映像；", " 不含映像；", " holds no image; ") + *out +
                                              Triplet(context.Language(), " 是空的", " 是空的", " is empty")
                                        : report.error);
                return;
            }
            imageAddress = report.imageAddress;
        }
        std::error_code ec;
        if (target != ImageFormat::Binary) {
            const std::filesystem::path from = source == Source::Binary ? std::filesystem::path(*in) : imagePath;
            const std::optional<std::vector<uint8_t>> image = ReadWhole(from);
            if (imagePath != *out) std::filesystem::remove(imagePath, ec);
            if (!image) {
                context.Fail(Triplet(context.Language(), "无法读取 ", "無法讀取 ", "cannot read ") + from.string());
                return;
            }
            std::string error;
            if (!WriteImageFile(*out, target, image->data(), image->size(), firstAddress.value_or(imageAddress), error)) {
                context.Fail(error);
                return;
            }
        }
        const auto size = std::filesystem::file_size(*out, ec);
        context.out << *out << ": " << size << " bytes";
        if (target != ImageFormat::Binary)
            context.out << " from address " << HexText(static_cast<uint32_t>(firstAddress.value_or(imageAddress)), 8);
        context.out << '\n';
    });
}

}  // namespace tq
