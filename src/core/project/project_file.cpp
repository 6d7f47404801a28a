#include "core/project/project_file.h"

#include <cstdio>
#include <random>

#include "core/base/atomic_write.h"
#include "core/base/text_encoding.h"
#include "core/buffer/hex_field.h"
#include "core/chipdb/chip_database.h"
#include "core/project/project_texts.h"
#include "core/operations/operation_context.h"

namespace tq {

namespace {

std::string Hex(uint32_t value, int width) {
    char text[12];
    std::snprintf(text, sizeof text, "%0*X", width, value);
    return text;
}

// A decimal number of at most 32 bits.
bool ParseDecimal(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + static_cast<uint64_t>(c - '0');
    }
    if (result > UINT32_MAX) return false;
    value = static_cast<uint32_t>(result);
    return true;
}

// The part of a path after its last folder separator.
std::string AfterLastSeparator(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithOffendingText(const OperationContext& context, const char* simplified, const char* traditional, const char* english,
                       const std::string& text) {
    return ProjectText(context, simplified, traditional, english) + "\"" + text + "\"";
}

}  // namespace

uint16_t ProjectChipTypeCode(const std::string& chipType) {
    for (const ChipFamily& family : ChipFamilies()) {
        if (family.name == chipType) return family.projectCode;
        if (!family.projectAlias.empty() && family.projectAlias == chipType) return CodeOf(family.type);
    }
    return CodeOf(ChipType::None);
}

uint8_t ProjectVoltageCode(int64_t voltage) { return voltage == 1800 ? 1 : VoltageCode(voltage); }

std::filesystem::path ProjectFilePath(const OperationContext& context) { return context.Texts.TempFolder / "temp.gprj"; }

ComposedProject ComposeProjectFile(const OperationContext& context, const ProjectForm& form, const ChipRow& row,
                                   uint32_t prjId) {
    ComposedProject result;
    Prj_Info_Struct& r = result.record;
    r = context.Chip.PrjInfoOffline;
    std::string& text = result.text;
    auto line = [&text](const char* key, const std::string& value) { text += std::string(key) + value + "\r\n"; };
    auto fail = [&result](std::string error) {
        result.text.clear();
        result.error = std::move(error);
        return result;
    };

    line("PrjID=", Hex(prjId, 8) + "H");
    line("PrjName=", CutToGbkBytes(AfterLastSeparator(form.editPrjName), 32));

    r.ChipName = row.ChipName;  // as the database spells it, whatever case was typed
    line("ChipName=", r.ChipName);
    // A chip without an ID (an empty column) has ID 0.
    r.ChipID = 0;
    if (!row.ChipID.empty() && !ParseHexNumber(row.ChipID, r.ChipID))
        return fail(WithOffendingText(context, "芯片ID不是十六进制数：", "晶片ID不是十六進位數：",
                               "The chip ID is not a hexadecimal number: ", row.ChipID));
    line("ChipID=", row.ChipID);
    // The chip's row as the chip selection copies it, with the project's own
    // type and voltage codes.
    CopyChipParameters(row, r);
    r.ChipTypeCode = ProjectChipTypeCode(row.ChipType);
    r.VoltageCode = ProjectVoltageCode(row.Voltage);
    line("ChipType=", std::to_string(r.ChipTypeCode));
    r.ManufName = row.ManufName;
    line("ChipManauf=", r.ManufName);
    line("ChipSize=", Hex(r.Capacity, 8));
    line("BlockSize=", Hex(r.BlockSize, 8));
    line("PageSize=", Hex(r.PageSize, 8));
    line("OTPSize=", Hex(r.OTPSize, 8));
    line("ChipVolt=", Hex(r.VoltageCode, 8));
    line("ChipPara=", Hex(r.ChipPara, 2));
    line("ChipPara1=", Hex(r.ChipPara1, 2));
    line("FileLen=", Hex(r.FileLen, 8));

    r.OprMode = form.cmbDownMethod >= 0 && form.cmbDownMethod <= 2 ? static_cast<uint8_t>(form.cmbDownMethod) : 0;
    r.IdCheck = form.chkPrjIdCheck;
    r.Erase = form.chkPrjErase;
    r.Write = form.chkPrjWrite;
    r.Verify = form.chkPrjVerify;
    line("OprMode=", Hex(r.OprMode, 2));
    line("OprIdCheck=", Hex(r.IdCheck, 2));
    line("OprErase=", Hex(r.Erase, 2));
    line("OprWrite=", Hex(r.Write, 2));
    line("OprVerify=", Hex(r.Verify, 2));

    r.SnEn = r.SnLen = r.SnEndian = 0;
    r.SnAddr = r.SnValue = 0;
    if (form.chkAutoSN) {
        r.SnEn = 1;
        r.SnLen = form.cmbSNBytes == 0 ? 1 : form.cmbSNBytes == 1 ? 2 : 4;
        r.SnEndian = form.cmbSNEndian == 1 ? 1 : 0;
        if (!ParseHexNumber(form.lbeSnAddr, r.SnAddr))
            return fail(WithOffendingText(context, "序列号地址不是十六进制数：", "序號位址不是十六進位數：",
                                   "The serial number address is not a hexadecimal number: ", form.lbeSnAddr));
        if (!ParseHexNumber(form.lbeSnValue, r.SnValue))
            return fail(WithOffendingText(context, "序列号数值不是十六进制数：", "序號數值不是十六進位數：",
                                   "The serial number value is not a hexadecimal number: ", form.lbeSnValue));
    }
    line("SnEn=", Hex(r.SnEn, 2));
    line("SnLen=", Hex(r.SnLen, 2));
    line("SnEndian=", Hex(r.SnEndian, 2));
    line("SnAddr=", Hex(r.SnAddr, 8));
    line("SnValue=", Hex(r.SnValue, 8));

    r.TimesEn = 0;
    r.TimesMax = 0;
    if (form.chkProTimes) {
        uint32_t times = 0;
        if (!ParseDecimal(form.editProTimes, times))
            return fail(WithOffendingText(context, "限制次数不是十进制数：", "限制次數不是十進位數：",
                                   "The count limit is not a decimal number: ", form.editProTimes));
        r.TimesEn = 1;
        r.TimesMax = static_cast<uint16_t>(times);  // the programmer keeps a 16-bit count
    }
    line("TimesEn=", Hex(r.TimesEn, 2));
    line("TimesMax=", Hex(r.TimesMax, 8));
    line("Crc32=", Hex(r.Crc32, 8));
    return result;
}

bool WriteProjectFile(OperationContext& context, const ProjectForm& form, const std::filesystem::path& path) {
    MessageView& messages = *context.Views.messages;
    // A project without its chip is of no use to the programmer: nothing is written.
    if (form.chipName.empty()) {
        messages.ShowMessage("请选择芯片名称！");
        return false;
    }
    if (!context.Chip.Database) {
        messages.ShowError(ProjectText(context, "芯片数据库未打开。", "晶片資料庫未開啟。", "The chip database is not open."));
        return false;
    }
    const std::vector<ChipRow> rows = context.Chip.Database->ChipRowQuery(form.chipName);
    if (rows.empty()) {
        messages.ShowError(ProjectText(context, "芯片数据库中没有该芯片：", "晶片資料庫中沒有該晶片：",
                                       "The chip database has no chip named ") + form.chipName);
        return false;
    }
    std::random_device entropy;
    const uint32_t prjId = std::uniform_int_distribution<uint32_t>(0, 2147483646)(entropy);
    ComposedProject composed = ComposeProjectFile(context, form, rows.front(), prjId);
    if (!composed.error.empty()) {
        messages.ShowError(composed.error);
        return false;
    }
    const std::string bytes = Utf8ToGbk(composed.text);
    // One command carries 512 bytes of it: a longer file would reach the programmer cut short.
    if (bytes.size() > kProjectFileLimit) {
        messages.ShowError(ProjectText(context, "工程文件超过512字节：", "工程檔案超過512位元組：",
                                       "The project file is longer than 512 bytes: ") +
                           std::to_string(bytes.size()));
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);  // the program never ships "temp"
    const std::string error = WriteFileAtomically(path, bytes);
    if (!error.empty()) {
        messages.ShowError(ProjectText(context, "无法写入工程文件：", "無法寫入工程檔案：",
                                       "Cannot write the project file: ") + error);
        return false;
    }
    context.Chip.PrjInfoOffline = composed.record;
    return true;
}

}  // namespace tq
