// A fresh temporary program folder per test, removed afterwards, with
// helpers to put GBK files and the built chip database into it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/base/text_encoding.h"
#include "support/scratch_folder.h"

namespace tq::testing {

class ProgramFolder : public ScratchFolder {
public:
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
        std::ofstream(path() / name, std::ios::binary) << bytes;
    }
    std::string ReadBytes(const std::string& name) const {
        std::ifstream file(path() / name, std::ios::binary);
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
        std::filesystem::copy_file(std::filesystem::path(TQ_BIN_DIR) / name, path() / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }

};

}  // namespace tq::testing
