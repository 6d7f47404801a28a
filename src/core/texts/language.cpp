#include "core/texts/language.h"

#include <stdexcept>

#include "core/texts/text_context.h"

namespace tq {
namespace {

const LanguageField kLanguageFields[] = {
    {"Setting", "MainSoftWareInfo", "TQM7300B Programmer", kLanguageTextBytes, &Dev_Language_Struct::MainSoftWareInfo},
    {"Button", "OK", "确定", kLanguageTextBytes, &Dev_Language_Struct::OK},
    {"Button", "Cancel", "取消", kLanguageTextBytes, &Dev_Language_Struct::Cancel},
    {"Button", "Select", "选择", kLanguageTextBytes, &Dev_Language_Struct::Select},
    {"Log", "DevConStaOnline", "设备已连接", kLanguageTextBytes, &Dev_Language_Struct::DevConStaOnline},
    {"Log", "DevConStaOffline", "设备离线", kLanguageTextBytes, &Dev_Language_Struct::DevConStaOffline},
    {"Log", "DevConVersion", "设备版本:", kLanguageTextBytes, &Dev_Language_Struct::DevConVersion},
    {"Log", "DevConLogDevice", "检测到编程器，型号：", kLanguageTextBytes, &Dev_Language_Struct::DevConLogDevice},
    {"Log", "DevConLogSN", "产品序列号：", kLanguageTextBytes, &Dev_Language_Struct::DevConLogSN},
    {"Log", "LogStaSuccess", "成功！", kLanguageTextBytes, &Dev_Language_Struct::LogStaSuccess},
    {"Log", "LogStaError", "错误！", kLanguageTextBytes, &Dev_Language_Struct::LogStaError},
    {"Log", "LogOperatTimeTitle", "共耗时", kLanguageTextBytes, &Dev_Language_Struct::LogOperatTimeTitle},
    {"Log", "LogOperatTime", "秒", kLanguageTextBytes, &Dev_Language_Struct::LogOperatTime},
    {"Log", "LogFileOpen", "打开文件，文件名：", kLanguageTextBytes, &Dev_Language_Struct::LogFileOpen},
    {"Log", "LogFileSave", "保存文件，文件名：", kLanguageTextBytes, &Dev_Language_Struct::LogFileSave},
    {"Log", "LogFileSaveAs", "文件另存为：", kLanguageTextBytes, &Dev_Language_Struct::LogFileSaveAs},
    {"Log", "LogChipCheckOK", "检测芯片，芯片名为：", kLanguageTextBytes, &Dev_Language_Struct::LogChipCheckOK},
    {"Log", "LogChipCheckCommError", "检测芯片，通讯错误.", kLanguageTextBytes, &Dev_Language_Struct::LogChipCheckCommError},
    {"Log", "LogChipCheckError", "检测芯片，未检测到芯片.", kLanguageTextBytes, &Dev_Language_Struct::LogChipCheckError},
    {"Log", "LogChipErase", "擦除芯片", kLanguageTextBytes, &Dev_Language_Struct::LogChipErase},
    {"Log", "LogChipEraseChipErr", "擦除错误！请先选择芯片型号！", kLanguageTextBytes, &Dev_Language_Struct::LogChipEraseChipErr},
    {"Log", "LogChipEraseCommError", "擦除通讯错误，请重试.", kLanguageTextBytes, &Dev_Language_Struct::LogChipEraseCommError},
    {"Log", "LogChipEraseSuccess", "擦除成功.共耗时", kLanguageTextBytes, &Dev_Language_Struct::LogChipEraseSuccess},
    {"Log", "LogChipWrite", "写入芯片", kLanguageTextBytes, &Dev_Language_Struct::LogChipWrite},
    {"Log", "LogChipWriteChipErr", "写入错误！请先选择芯片型号！", kLanguageTextBytes, &Dev_Language_Struct::LogChipWriteChipErr},
    {"Log", "LogChipWriteCommError", "写入通讯错误，请重试.", kLanguageTextBytes, &Dev_Language_Struct::LogChipWriteCommError},
    {"Log", "LogChipWriteFileError", "写入芯片，错误！请先打开一个文件！", kLanguageTextBytes, &Dev_Language_Struct::LogChipWriteFileError},
    {"Log", "LogChipWriteFileName", "写入芯片，文件名：", kLanguageTextBytes, &Dev_Language_Struct::LogChipWriteFileName},
    {"Log", "LogChipWriteFileLen", "写入长度：", kLanguageTextBytes, &Dev_Language_Struct::LogChipWriteFileLen},
    {"Log", "LogChipWriteSuccess", "写入成功.共耗时", kLanguageTextBytes, &Dev_Language_Struct::LogChipWriteSuccess},
    {"Log", "LogChipReadChip", "读取芯片", kLanguageTextBytes, &Dev_Language_Struct::LogChipReadChip},
    {"Log", "LogChipReadSuccess", "读取芯片，成功！共耗时", kLanguageTextBytes, &Dev_Language_Struct::LogChipReadSuccess},
    {"Log", "LogChipReadError", "读取错误，请重试！", kLanguageTextBytes, &Dev_Language_Struct::LogChipReadError},
    {"Log", "LogChipVerifyChip", "校验芯片", kLanguageTextBytes, &Dev_Language_Struct::LogChipVerifyChip},
    {"Log", "LogChipVerifySuccess", "校验芯片，成功！共耗时", kLanguageTextBytes, &Dev_Language_Struct::LogChipVerifySuccess},
    {"Log", "LogChipVerifyError", "校验错误，请重试！", kLanguageTextBytes, &Dev_Language_Struct::LogChipVerifyError},
    {"Log", "LogChipBankCheck", "查空操作.", kLanguageTextBytes, &Dev_Language_Struct::LogChipBankCheck},
    {"Log", "LogChipBankTrue", "该芯片是空的，可以直接写入.", kLanguageTextBytes, &Dev_Language_Struct::LogChipBankTrue},
    {"Log", "LogChipBankFalse", "该芯片不是空的，请擦除后再写入.", kLanguageTextBytes, &Dev_Language_Struct::LogChipBankFalse},
    {"Log", "LogChipDetect", "检测并识别到芯片，型号：", kLanguageTextBytes, &Dev_Language_Struct::LogChipDetect},
    {"Log", "LogChipSelect", "手动选择芯片成功，型号：", kLongLanguageTextBytes, &Dev_Language_Struct::LogChipSelect},
    {"Log", "LogChipDetectCapcity", "容量：", kLanguageTextBytes, &Dev_Language_Struct::LogChipDetectCapcity},
    {"Log", "LogChipDetectID", "芯片ID：", kLanguageTextBytes, &Dev_Language_Struct::LogChipDetectID},
    {"Log", "LogChipDetectUnknown", "检测到芯片，但未识别出芯片型号.芯片ID：", kLanguageTextBytes, &Dev_Language_Struct::LogChipDetectUnknown},
    {"Log", "LogChipDetectError", "芯片检测异常.", kLanguageTextBytes, &Dev_Language_Struct::LogChipDetectError},
    {"Log", "LogChipDetectNULL", "未检测到芯片.", kLanguageTextBytes, &Dev_Language_Struct::LogChipDetectNULL},
    {"Log", "LogChipMassStart", "批量烧录开始，请点击”停止“按钮，将在本次烧录完成后停止.", kLongLanguageTextBytes, &Dev_Language_Struct::LogChipMassStart},
    {"Log", "LogChipMassStop", "批量烧录已停止.", kLongLanguageTextBytes, &Dev_Language_Struct::LogChipMassStop},
    {"Log", "LogChipMassAutoStop", "30秒内没有检测到新拍呢，已自动停止了批量烧录.", kLongLanguageTextBytes, &Dev_Language_Struct::LogChipMassAutoStop},
};

// The About key is applied twice: to the tool button, and later to the menu item.
const DirectCaption kDirectCaptions[] = {
    {"FileMenu", "File", "文件", "Menu_File", "(&F)"},
    {"FileMenu", "Open", "打开", "Menu_File_Open", "(&O)"},
    {"FileMenu", "Open", "打开", "sbOpenFile", ""},
    {"FileMenu", "Save", "保存", "Menu_File_Save", "(&S)"},
    {"FileMenu", "Save", "保存", "sbSaveFile", ""},
    {"FileMenu", "SaveAs", "另存为", "Menu_File_SaveAs", "(&A)"},
    {"FileMenu", "FileComb", "文件合并", "Menu_File_MenuMerge", "(&M)"},
    {"FileMenu", "Close", "退出", "Menu_File_Exit", "(&E)"},
    {"BufferMenu", "Buffer", "缓冲区", "MenuBuffer", "(&B)"},
    {"BufferMenu", "Fill", "填充", "MenuBufferFill", "(&I)"},
    {"BufferMenu", "Fill", "填充", "sbBufferFill", ""},
    {"BufferMenu", "Swap", "交换", "sbSwitch", ""},
    {"BufferMenu", "SwapMenu", "交换", "MenuBufferSwich", "(&S)"},
    {"BufferMenu", "Find", "查找", "MenuBufferFind", "(&F)"},
    {"BufferMenu", "FindNext", "查找下一个", "MenuBufferFindNext", "(&N)"},
    {"BufferMenu", "Jump", "跳转", "MenuBufferGoto", "(&G)"},
    {"ProgramMenu", "Program", "编程操作", "MenuProgram", "(&O)"},
    {"ProgramMenu", "Auto", "自动", "MenuAuto", "(&A)"},
    {"ProgramMenu", "BtnAuto", "自动", "sbAuto", ""},
    {"ProgramMenu", "BlankCheck", "查空", "MenuBlankCheck", "(&B)"},
    {"ProgramMenu", "BtnBlankCheck", "查空", "sbBlankCheck", ""},
    {"ProgramMenu", "Erase", "擦除", "MenuErase", "(&E)"},
    {"ProgramMenu", "BtnErase", "擦除", "sbErase", ""},
    {"ProgramMenu", "Write", "写入", "MenuWrite", "(&W)"},
    {"ProgramMenu", "BtnWrite", "写入", "sbWrite", ""},
    {"ProgramMenu", "Read", "读出", "MenuRead", "(&R)"},
    {"ProgramMenu", "BtnRead", "读出", "sbRead", ""},
    {"ProgramMenu", "Verify", "校验", "MenuVerify", "(&V)"},
    {"ProgramMenu", "BtnVerify", "校验", "sbVerify", ""},
    {"ProgramMenu", "AddChip", "添加芯片", "MenuAddChip", "(&C)"},
    {"ProgramMenu", "Mass", "批量烧录", "MenuMess", "(&M)"},
    {"ProgramMenu", "BtnMass", "批量", "sbMess", ""},
    {"ProgramMenu", "BtnStop", "停止", "sbStop", ""},
    {"AboutMenu", "About", "关于", "sbAbout", ""},
    {"ProgramMenu", "ChipCheck", "芯片检测", "MenuChipDetect", "(&D)"},
    {"ProgramMenu", "BtnChipCheck", "芯片检测", "sbChipDetect", ""},
    {"ProgramMenu", "BtnChipCheck", "芯片检测", "sbDetect", ""},
    {"ProgramMenu", "BtnChipFind", "芯片查找", "sbChipFind", ""},
    {"ProgramMenu", "AutoSel", "自动选项", "MenuAutoSel", "(&A)"},
    {"ProjectMenu", "Offline", "离线工程", "MenuPrjOffline", "(&S)"},
    {"HardMenu", "HardWare", "硬件", "MenuHardWare", "(&H)"},
    {"HardMenu", "HardInfo", "硬件信息", "MenuHardInfo", "(&I)"},
    {"HardMenu", "FirmUpdate", "固件更新", "MenuFirmUpdate", "(&U)"},
    {"HardMenu", "sbVersion", "版本", "sbVersion", ""},
    {"HardMenu", "sbUpdate", "更新", "sbUpdate", ""},
    {"HardMenu", "SelfCheck", "自检", "MenuSelfCheck", "(&S)"},
    {"LanguageMenu", "Language", "语言", "Menu_Language", "(&L)"},
    {"AboutMenu", "About", "关于", "Menu_About", "(&I)"},
    {"AboutMenu", "UserManual", "用户手册", "MenuDataSheet", "(&U)"},
    {"HelpMenu", "Help", "帮助", "MenuHelp", "(&E)"},
    {"HelpMenu", "Help", "帮助", "sbHelp", ""},
    {"ChipInfo", "Chip", "芯片", "gbChipInfo", ""},
    {"ChipInfo", "ChipType", "类型：", "lableChipType", ""},
    {"ChipInfo", "Manauf", "厂商：", "lableManauf", ""},
    {"ChipInfo", "ChipName", "芯片名称：", "lableChipName", ""},
    {"ChipInfo", "ChipInfo", "芯片信息", "gbChipInfoDesc", ""},
    {"ChipInfo", "Voltage", "芯片电压：", "ledtChipVoltage.EditLabel", ""},
    {"ChipInfo", "ChipCap", "容量", "ledtChipCapTitle", ""},
    {"ChipInfo", "PageSize", "页大小:", "ledtPageSize.EditLabel", ""},
    {"ChipInfo", "OtpSize", "OTP大小:", "ledtChipOTPSize.EditLabel", ""},
};

const DialogText kDialogTexts[] = {
    {"FileInport", "ODTitle", "选择打开的文件"},
    {"BufferFill", "FillDialogTitle", "缓冲区填充设置"},
    {"BufferFill", "FillStartAddr", "起始地址(HEX):"},
    {"BufferFill", "FillLen", "填充长度(HEX):"},
    {"BufferFill", "FillValue", "填充数值(HEX):"},
    {"BufferFill", "FillRandom", "随机填充"},
    {"BufferFind", "BufferFindTitle", "查找缓冲区"},
    {"BufferFind", "BufferFindValue", "查找内容(HEX):"},
    {"BufferJump", "BufferJumpTitle", "缓冲区跳转"},
    {"BufferJump", "BufferJumpAddr", "跳转地址(HEX):"},
    {"BufferJump", "BufferCurrentAddr", "当前地址(HEX):"},
    {"HardInfo", "HardInfoTitle", "硬件信息"},
    {"HardInfo", "HardVersion", "硬件版本："},
    {"HardInfo", "SoftWareVersion", "固件版本："},
    {"HardInfo", "DevSN", "序列号："},
    {"HardInfo", "DevName", "设备名："},
    {"AutoSel", "AutoSelTitle", "自动选项"},
    {"AutoSel", "AutoSelIDCheck", "ID校验"},
    {"AutoSel", "AutoSelErase", "擦除"},
    {"AutoSel", "AutoSelWrite", "写入"},
    {"AutoSel", "AutoSelVerify", "校验"},
    {"AboutMenu", "About", "关于"},
};

ProfileFile LoadLanguageFile(const TextContext& texts) {
    return ProfileFile::Load(texts.ProgramFolder / LanguageFileName(texts.Language));
}

const FurtherLanguage* FurtherOf(const std::shared_ptr<const LanguageSet>& languages, int32_t language) {
    return languages ? languages->Find(language) : nullptr;
}

}  // namespace

const char* LanguageFileName(int32_t language) {
    return language == 0 ? "CN.ini" : language == 1 ? "TC.ini" : "EN.ini";
}

int LanguageMenuItem(int32_t language) {
    if (language == 0 || language == 1) return language;
    return FurtherOf(InstalledLanguages(), language) ? language : 2;
}

std::span<const LanguageField> LanguageFields() { return kLanguageFields; }
std::span<const DirectCaption> DirectCaptions() { return kDirectCaptions; }
std::span<const DialogText> DialogTexts() { return kDialogTexts; }

LanguageFile::LanguageFile(const TextContext& texts)
    : file_(LoadLanguageFile(texts)), languages_(InstalledLanguages()), further_(FurtherOf(languages_, texts.Language)) {}

std::string LanguageFile::Text(std::string_view section, std::string_view key, std::string_view fallback,
                               size_t maxBytes) const {
    if (further_)
        if (std::optional<std::string> caption = further_->Caption(section, key)) return *caption;
    return file_.ReadString(section, key, fallback, maxBytes);
}

std::string LanguageFile::Text(std::string_view section, std::string_view key) const {
    for (const DialogText& text : kDialogTexts)
        if (section == text.section && key == text.key) return Text(section, key, text.fallback);
    throw std::logic_error("no built-in text for [" + std::string(section) + "] " + std::string(key));
}

std::vector<AppliedCaption> ReadLanguageTexts(TextContext& context, const std::string& dbVersion) {
    const LanguageFile file(context);
    Dev_Language_Struct& texts = context.DevLanguage;
    for (const LanguageField& field : kLanguageFields)
        texts.*field.field = file.Text(field.section, field.key, field.fallback, field.maxBytes);
    texts.MainSoftWareInfo += "  " + dbVersion;

    std::vector<AppliedCaption> captions;
    for (const DirectCaption& caption : kDirectCaptions) {
        captions.push_back(
            {caption.control, file.Text(caption.section, caption.key, caption.fallback, kLanguageTextBytes) + caption.suffix});
    }
    return captions;
}

}  // namespace tq
