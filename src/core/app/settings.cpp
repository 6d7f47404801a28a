#include "core/app/settings.h"

#include "core/texts/language.h"
#include "core/texts/system_language.h"
#include "core/texts/text_catalogue.h"
#include "core/base/profile_file.h"
#include "core/base/text_encoding.h"
#include "core/app/session.h"

namespace tq {
namespace {

// Text keys are read through buffers of 80, 60 and 10 bytes.
constexpr size_t kPathBytes = 79;
constexpr size_t kChipNameBytes = 59;
constexpr size_t kModelBytes = 9;

std::string Number(int32_t value) { return " " + std::to_string(value); }

constexpr const char* kOwnSection = "tqprog";
constexpr const char* kFileFilterKey = "LastFileFilter";
constexpr const char* kLogPanelKey = "LogPanel";
constexpr const char* kBackupKey = "BackupBeforeOverwrite";
constexpr const char* kBlankCheckKey = "BlankCheckBeforeWrite";
constexpr const char* kVerifyTwiceKey = "AutoVerifyTwice";
constexpr const char* kLanguageCodeKey = "LanguageCode";  // a further language, by its code

// An on/off key of our own, written once it differs from its default or is there already.
void WriteSwitch(ProfileFile& file, const char* key, bool value, bool byDefault) {
    if (value != byDefault || !file.ReadString(kOwnSection, key, "", kPathBytes).empty())
        file.WriteString(kOwnSection, key, Number(value ? 1 : 0));
}

}  // namespace

void LoadSettings(Session& session, int32_t defaultLanguage) {
    const ProfileFile file = ProfileFile::Load(session.Texts.SettingsFolder / kSettingsFileName);
    Dev_Inf_Struct& dev = session.Device.DevInf;
    Prj_Info_Struct& prj = session.Chip.PrjInfo;
    session.DebugOption.comDebugDly = file.ReadInt("DebugOption", "comDebugDly", 5000);
    session.DebugOption.intMsgDleTim = file.ReadInt("DebugOption", "intMsgDleTim", 1000);
    session.Texts.Language = StoredLanguage(file.ReadInt("SystemOption", "Language", defaultLanguage),
                                            file.ReadString(kOwnSection, kLanguageCodeKey, "", kPathBytes), defaultLanguage);
    dev.FilePath = file.ReadString("SystemOption", "FilePath", "C:", kPathBytes);
    session.Buffer.RamFile.FileName = file.ReadString("SystemOption", "File", "", kPathBytes);
    prj.RamStartAddr = static_cast<uint32_t>(file.ReadInt("PrjInfo", "RamStartAddr", 0));
    prj.IdCheck = static_cast<uint8_t>(file.ReadInt("PrjInfo", "IdCheck", 0));
    prj.Erase = static_cast<uint8_t>(file.ReadInt("PrjInfo", "Erase", 1));
    prj.Write = static_cast<uint8_t>(file.ReadInt("PrjInfo", "Write", 1));
    prj.Verify = static_cast<uint8_t>(file.ReadInt("PrjInfo", "Verify", 1));
    prj.ChipName = file.ReadString("PrjInfo", "ChipName", "24C02", kChipNameBytes);
    dev.DefaultModel = file.ReadString("PrjInfo", "defaultMode", kDefaultModel, kModelBytes);
    dev.SuccessCount = 0;
    dev.FailCount = 0;
    // Our own key, in a section of our own: the file dialogs' last filter.
    const std::string filter = file.ReadString(kOwnSection, kFileFilterKey, "", kPathBytes);
    if (!filter.empty()) session.Views.fileDialog->SetRememberedFilter(filter);
    session.Window.LogPanelShown = file.ReadInt(kOwnSection, kLogPanelKey, 0) != 0;
    // Both on unless turned off: a chip's old contents are worth a copy.
    session.Operation.Guard.backup = file.ReadInt(kOwnSection, kBackupKey, 1) != 0;
    session.Operation.Guard.blankBeforeWrite = file.ReadInt(kOwnSection, kBlankCheckKey, 1) != 0;
    prj.VerifyTwice = static_cast<uint8_t>(file.ReadInt(kOwnSection, kVerifyTwiceKey, 0) != 0);
}

bool SaveSettings(Session& session) {
    Dev_Inf_Struct& dev = session.Device.DevInf;
    const Prj_Info_Struct& prj = session.Chip.PrjInfo;
    ProfileFile file = ProfileFile::Load(session.Texts.SettingsFolder / kSettingsFileName);
    std::string failure = file.ReadError();
    if (failure.empty()) {
        const StoredLanguageKeys language = StoredLanguageOf(session.Texts.Language);
        file.WriteString("SystemOption", "Language", Number(language.number));
        if (!language.code.empty() || !file.ReadString(kOwnSection, kLanguageCodeKey, "", kPathBytes).empty())
            file.WriteString(kOwnSection, kLanguageCodeKey, language.code);
        dev.FilePath = FolderOf(session.Buffer.RamFile.FileName);
        file.WriteString("SystemOption", "FilePath", dev.FilePath);
        file.WriteString("SystemOption", "File", session.Buffer.RamFile.FileName);
        file.WriteString("PrjInfo", "RamStartAddr", Number(static_cast<int32_t>(prj.RamStartAddr)));
        file.WriteString("PrjInfo", "IdCheck", Number(prj.IdCheck));
        file.WriteString("PrjInfo", "Erase", Number(prj.Erase));
        file.WriteString("PrjInfo", "Write", Number(prj.Write));
        file.WriteString("PrjInfo", "Verify", Number(prj.Verify));
        file.WriteString("PrjInfo", "ChipName", prj.ChipName);
        file.WriteString("PrjInfo", "defaultMode", dev.DefaultModel);
        const std::string filter = session.Views.fileDialog->RememberedFilter();
        if (!filter.empty()) file.WriteString(kOwnSection, kFileFilterKey, filter);
        // Written once the panel has been shown: a file of a run without it stays as it was.
        if (session.Window.LogPanelShown || !file.ReadString(kOwnSection, kLogPanelKey, "", kPathBytes).empty())
            file.WriteString(kOwnSection, kLogPanelKey, Number(session.Window.LogPanelShown ? 1 : 0));
        WriteSwitch(file, kBackupKey, session.Operation.Guard.backup, true);
        WriteSwitch(file, kBlankCheckKey, session.Operation.Guard.blankBeforeWrite, true);
        WriteSwitch(file, kVerifyTwiceKey, prj.VerifyTwice != 0, false);
        failure = file.Save();
    }
    if (failure.empty()) return true;
    session.Views.messages->ShowError(Text(session.Texts.Language, TextId::SettingsNotSaved, {failure}));
    return false;
}

void CheckDefaultModel(Dev_Inf_Struct& dev) {
    const size_t length = GbkLength(dev.DefaultModel);
    if (length < 3 || length > 8) dev.DefaultModel = kDefaultModel;
}

std::string FolderOf(std::string_view file) {
    const size_t separator = file.find_last_of("\\/");
    return separator == std::string_view::npos ? std::string() : std::string(file.substr(0, separator + 1));
}

}  // namespace tq
