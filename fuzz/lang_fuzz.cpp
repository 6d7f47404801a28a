// Language files: any EN.ini gives every text of the program within its
// byte limit, one caption per control, and the texts written back into a
// language file read back the same.
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/base/profile_file.h"
#include "core/base/text_encoding.h"
#include "core/texts/language.h"
#include "core/texts/text_context.h"
#include "fuzz_support.h"

using namespace tq::fuzz;

namespace {

struct Read {
    tq::Dev_Language_Struct texts;
    std::vector<tq::AppliedCaption> captions;
    std::vector<std::string> dialog;
};

Read ReadFolder(const std::filesystem::path& folder) {
    tq::TextContext context;
    context.Language = 2;
    context.ProgramFolder = context.SettingsFolder = context.DataFolder = folder;
    Read read;
    read.captions = tq::ReadLanguageTexts(context, "V1");
    read.texts = context.DevLanguage;
    const tq::LanguageFile file(context);
    for (const tq::DialogText& text : tq::DialogTexts()) read.dialog.push_back(file.Text(text.section, text.key));
    return read;
}

// What `read` becomes once written into a language file and read again.
Read AsWrittenBack(Read read) {
    for (const tq::LanguageField& field : tq::LanguageFields())
        if (field.field != &tq::Dev_Language_Struct::MainSoftWareInfo) read.texts.*field.field = AsWritten(read.texts.*field.field);
    const auto captions = tq::DirectCaptions();
    for (size_t i = 0; i < captions.size(); ++i) {
        std::string& text = read.captions[i].text;
        text = AsWritten(text.substr(0, text.size() - std::strlen(captions[i].suffix))) + captions[i].suffix;
    }
    for (std::string& text : read.dialog) text = AsWritten(text);
    return read;
}

bool SameTexts(const tq::Dev_Language_Struct& a, const tq::Dev_Language_Struct& b) {
    for (const tq::LanguageField& field : tq::LanguageFields())
        if (field.field != &tq::Dev_Language_Struct::MainSoftWareInfo && a.*field.field != b.*field.field) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto folder = Scratch("first"), copy = Scratch("copy");
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(copy);
    WriteBytes(folder / "EN.ini", data, size);
    const Read first = ReadFolder(folder);

    const auto captions = tq::DirectCaptions();
    Check(first.captions.size() == captions.size(), "one caption per control");
    for (size_t i = 0; i < captions.size(); ++i) {
        const std::string& text = first.captions[i].text;
        const std::string suffix = captions[i].suffix;
        Check(first.captions[i].control == captions[i].control, "captions in the controls' order");
        Check(text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0,
              "a caption ends with its suffix");
        Check(tq::GbkLength(text.substr(0, text.size() - suffix.size())) <= tq::kLanguageTextBytes,
              "a caption keeps to its byte limit");
    }
    for (const tq::LanguageField& field : tq::LanguageFields()) {
        const std::string& text = first.texts.*field.field;
        if (field.field != &tq::Dev_Language_Struct::MainSoftWareInfo)
            Check(tq::GbkLength(text) <= field.maxBytes, "a text keeps to its byte limit");
    }
    for (const std::string& text : first.dialog)
        Check(tq::GbkLength(text) <= tq::kLanguageTextBytes, "a dialog text keeps to its byte limit");

    // What was read, written as a language file of its own, reads back the
    // same. A key read in several places keeps its longest reading; a key the
    // file lacks stays out, so each place falls back to its own default.
    const tq::ProfileFile original = tq::ProfileFile::Load(folder / "EN.ini");
    std::map<std::pair<std::string, std::string>, std::string> values;
    const auto keep = [&](const char* section, const char* key, const std::string& text) {
        // Missing only when two different defaults both come back: a file can hold either as a value.
        if (original.ReadString(section, key, "\x01", 4096) == "\x01" &&
            original.ReadString(section, key, "\x02", 4096) == "\x02")
            return;
        std::string& value = values[{section, key}];
        if (text.size() > value.size()) value = text;
    };
    for (const tq::LanguageField& field : tq::LanguageFields()) {
        std::string text = first.texts.*field.field;
        if (field.field == &tq::Dev_Language_Struct::MainSoftWareInfo) text.resize(text.size() - 4);  // "  V1"
        keep(field.section, field.key, text);
    }
    for (size_t i = 0; i < captions.size(); ++i) {
        const std::string& text = first.captions[i].text;
        keep(captions[i].section, captions[i].key, text.substr(0, text.size() - std::strlen(captions[i].suffix)));
    }
    const auto dialogs = tq::DialogTexts();
    for (size_t i = 0; i < dialogs.size(); ++i) keep(dialogs[i].section, dialogs[i].key, first.dialog[i]);
    tq::ProfileFile written = tq::ProfileFile::Load(copy / "EN.ini");
    for (const auto& [where, text] : values) written.WriteString(where.first, where.second, text);
    Check(written.Save().empty(), "a language file saves");
    const Read again = ReadFolder(copy), expected = AsWrittenBack(first);
    Check(SameTexts(again.texts, expected.texts), "the texts written back read back the same");
    for (size_t i = 0; i < captions.size(); ++i)
        Check(again.captions[i].text == expected.captions[i].text, "the captions written back read back the same");
    Check(again.dialog == expected.dialog, "the dialog texts written back read back the same");
    std::filesystem::remove(copy / "EN.ini");
    return 0;
}
