// The engine and the command line speak the domain: no routine, type, member
// or variable under src/core or src/cli is named after a widget or one of its
// events. Widget object names may still appear in string literals (language
// files caption controls by them) and in comments.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <cctype>
#include <string>
#include <vector>

namespace tq {
namespace {

// Blanks comments and string and character literals, keeping line breaks so
// that line numbers stay right.
std::string CodeOnly(const std::string& text) {
    std::string code = text;
    enum { Code, LineComment, BlockComment, String, Char, Raw } state = Code;
    std::string rawEnd;
    for (size_t i = 0; i < code.size(); ++i) {
        char& c = code[i];
        const char next = i + 1 < code.size() ? code[i + 1] : '\0';
        switch (state) {
        case Code:
            if (c == '/' && next == '/') state = LineComment;
            else if (c == '/' && next == '*') state = BlockComment;
            else if (c == 'R' && next == '"' && (i == 0 || !std::isalnum(static_cast<unsigned char>(code[i - 1])))) {
                const size_t open = code.find('(', i);
                rawEnd = ")" + code.substr(i + 2, open - i - 2) + "\"";
                state = Raw;
            } else if (c == '"') state = String;
            else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(code[i - 1])))) state = Char;
            continue;
        case LineComment:
            if (c == '\n') state = Code;
            break;
        case BlockComment:
            if (c == '*' && next == '/') {
                c = ' ';
                code[++i] = ' ';
                state = Code;
                continue;
            }
            break;
        case String:
        case Char:
            if (c == '\\') {
                c = ' ';
                if (i + 1 < code.size() && code[i + 1] != '\n') code[++i] = ' ';
                continue;
            }
            if ((state == String && c == '"') || (state == Char && c == '\'')) {
                state = Code;
                continue;
            }
            break;
        case Raw:
            if (code.compare(i, rawEnd.size(), rawEnd) == 0) {
                for (size_t k = 0; k + 1 < rawEnd.size(); ++k) code[i + k] = ' ';
                i += rawEnd.size() - 1;
                state = Code;
                continue;
            }
            break;
        }
        if (c != '\n') c = ' ';
    }
    return code;
}

struct Finding {
    std::string where, name;
};

bool StartsWith(const std::string& name, const std::string& prefix) { return name.rfind(prefix, 0) == 0; }
bool EndsWith(const std::string& name, const std::string& suffix) {
    return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// sbWriteClick, MenuPrjOffline, btnAdd, chkPrjErase, cmbSuanFa, lbeSnAddr,
// reDownFile, pbDLChip1, TfrmFileEdit; anything ending in Click or Change;
// Button2 and ListBox1.
bool IsHandlerName(const std::string& name) {
    for (const char* prefix : {"sb", "Menu", "btn", "chk", "cmb", "lbe", "re", "pb", "Tfrm"}) {
        const size_t length = std::char_traits<char>::length(prefix);
        if (StartsWith(name, prefix) && name.size() > length && std::isupper(static_cast<unsigned char>(name[length])))
            return true;
    }
    return EndsWith(name, "Click") || EndsWith(name, "Change") || StartsWith(name, "Button2") ||
           StartsWith(name, "ListBox1");
}

std::vector<Finding> HandlerNames(const std::string& label, const std::string& text) {
    const std::string code = CodeOnly(text);
    const auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    std::vector<Finding> found;
    int line = 1;
    for (size_t i = 0; i < code.size();) {
        if (code[i] == '\n') ++line;
        if (!isWord(code[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < code.size() && isWord(code[end])) ++end;
        const std::string word = code.substr(i, end - i);
        if (!std::isdigit(static_cast<unsigned char>(word[0])) && IsHandlerName(word))
            found.push_back({label + ":" + std::to_string(line), word});
        i = end;
    }
    return found;
}

TEST(HandlerNames, TheScanSeesCodeAndSkipsCommentsAndTexts) {
    const std::string sample =
        "void sbWriteClick();  // sbEraseClick\n"
        "const char* name = \"btnAddClick\"; char c = 'x';\n"
        "/* MenuPrjOfflineClick */ int lbeChipName = 0x1'000;\n"
        "auto raw = R\"(cmbSuanFaChange)\"; UndoBufferChange(); Button2Click(); Exchange();\n";
    std::vector<std::string> names;
    for (const Finding& f : HandlerNames("sample", sample)) names.push_back(f.where + " " + f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"sample:1 sbWriteClick", "sample:3 lbeChipName",
                                               "sample:4 UndoBufferChange", "sample:4 Button2Click"}));
}

TEST(HandlerNames, NoneInTheEngineOrTheCommandLine) {
    namespace fs = std::filesystem;
    const fs::path source = TQ_SOURCE_DIR;
    std::vector<std::string> offenders;
    for (const char* folder : {"src/core", "src/cli"}) {
        for (const auto& entry : fs::recursive_directory_iterator(source / folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".h" && extension != ".cpp" && extension != ".inc") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            for (const Finding& f : HandlerNames(fs::relative(entry.path(), source).string(), text.str()))
                offenders.push_back(f.where + " " + f.name);
        }
    }
    EXPECT_TRUE(offenders.empty()) << ::testing::PrintToString(offenders);
}

}  // namespace
}  // namespace tq
