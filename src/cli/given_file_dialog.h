// The open dialog of a command-line run: it answers with the file named on
// the command line, and a save dialog is never offered.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/base/views.h"

namespace tq {

class GivenFileDialog final : public FileDialogView {
public:
    explicit GivenFileDialog(std::string path) : path_(std::move(path)) {}
    std::string ChooseOpenFile(const std::string&, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        return path_;
    }
    std::string ChooseSaveFile(const std::string&, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        return {};
    }

private:
    std::string path_;
};

}  // namespace tq
