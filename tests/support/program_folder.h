// A fresh temporary program folder per test, removed afterwards, with
// helpers to put GBK files and the built chip database into it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/base/text_encoding.h"

namespace tq::testing {

class ProgramFolder {
public:
    ProgramFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tqprog-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~ProgramFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes a UTF-8 text as GBK with CR LF line ends.
    void WriteGbk(const std::string& name, const std::string& utf8) const {
        std::string crlf;
        for (char c : utf8) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        WriteBytes(name, Utf8ToGbk(crlf));
    }
    void WriteBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string ReadBytes(const std::string& name) const {
        std::ifstream file(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    // The file as UTF-8 with LF line ends.
    std::string ReadGbk(const std::string& name) const {
        std::string text;
        for (char c : GbkToUtf8(ReadBytes(name)))
            if (c != '\r') text += c;
        return text;
    }
    // Copies a file of the build's bin folder (login.dat, the language files).
    void CopyFromBin(const std::string& name) const {
        std::filesystem::copy_file(std::filesystem::path(TQ_BIN_DIR) / name, path_ / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }

private:
    std::filesystem::path path_;
};

}  // namespace tq::testing
