// `merge OUT FILE[@HEXSTART]... [--fill HH]`: joins two to four binary files
// as the merge dialog does, each at its start offset (by default right after
// the file before it), gaps filled with the fill byte.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/cli_context.h"
#include "core/texts/text_catalogue.h"
#include "cli/commands.h"
#include "cli/terminal_views.h"
#include "core/buffer/file_merge.h"

namespace tq {
namespace {

struct MergeArguments {
    std::string output;
    std::vector<std::string> files;
    std::string fill = kMergeDefaultFill;
};

// "path@start" splits at the last "@" when no path separator follows it;
// anything else is a path alone.
void SplitFileArgument(const std::string& argument, std::string& path, std::string& start) {
    const std::size_t at = argument.rfind('@');
    if (at == std::string::npos || argument.find_first_of("/\\", at) != std::string::npos) {
        path = argument;
        start.clear();
        return;
    }
    path = argument.substr(0, at);
    start = argument.substr(at + 1);
}

}  // namespace

void RegisterMergeCommand(CLI::App& app, CliContext& context) {
    CLI::App* merge = app.add_subcommand("merge", "Join two to four binary files, each at its start offset");
    auto arguments = std::make_shared<MergeArguments>();
    merge->add_option("OUT", arguments->output, "Merged file to write (used as given)")->required();
    merge->add_option("FILE", arguments->files,
                      "Input file, optionally with its start offset in hex: FILE@HEXSTART "
                      "(default: right after the previous file)");
    merge->add_option("--fill", arguments->fill, "Fill byte for gaps, two hex digits")->capture_default_str();
    merge->callback([&context, arguments] {
        const int language = context.Language();
        MessageView& messages = context.views();
        MergeFileList list;
        for (const std::string& argument : arguments->files) {
            std::string path, start;
            SplitFileArgument(argument, path, start);
            switch (list.AddFile(path)) {
                case MergeAddResult::ListFull:
                    context.Fail(Text(language, TextId::MergeAtMostFiles, {std::to_string(MergeFileList::kMaxFiles)}));
                    return;
                case MergeAddResult::CannotOpen:
                    messages.ShowError(MergeCannotOpenText(path, language));
                    context.exitCode = 1;
                    return;
                case MergeAddResult::Added:
                    break;
            }
            if (argument.size() != path.size()) list.SetStartText(list.rows().size() - 1, start);
        }
        for (const MergeFileRow& row : list.rows())
            context.out << row.number << "  " << row.startText << "  " << row.endText << "  " << row.fileName << '\n';
        if (!MergeFiles(list, arguments->fill, arguments->output, messages, language)) context.exitCode = 1;
    });
}

}  // namespace tq
