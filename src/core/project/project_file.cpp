#include "core/project/project_file.h"

#include <cstdio>
#include <random>

#include "core/base/atomic_write.h"
#include "core/base/text_encoding.h"
#include "core/buffer/hex_field.h"
#include "core/chipdb/chip_database.h"
#include "core/texts/text_catalogue.h"
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

std::string WithOffendingText(const OperationContext& context, TextId id, const std::string& text) {
    return Text(context.Texts.Language, id, {text});
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

ComposedProject ComposeProjectFile(const OperationContext& context, const ProjectPlan& plan, const ChipRow& row,
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
    line("PrjName=", CutToGbkBytes(AfterLastSeparator(plan.name), 32));

    r.ChipName = row.ChipName;  // as the database spells it, whatever case was typed
    line("ChipName=", r.ChipName);
    // A chip without an ID (an empty column) has ID 0.
    r.ChipID = 0;
    if (!row.ChipID.empty() && !ParseHexNumber(row.ChipID, r.ChipID))
        return fail(WithOffendingText(context, TextId::ProjectChipIdNotHex, row.ChipID));
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

    r.OprMode = static_cast<uint8_t>(plan.method);
    r.IdCheck = plan.idCheck;
    r.Erase = plan.erase;
    r.Write = plan.write;
    r.Verify = plan.verify;
    line("OprMode=", Hex(r.OprMode, 2));
    line("OprIdCheck=", Hex(r.IdCheck, 2));
    line("OprErase=", Hex(r.Erase, 2));
    line("OprWrite=", Hex(r.Write, 2));
    line("OprVerify=", Hex(r.Verify, 2));

    r.SnEn = r.SnLen = r.SnEndian = 0;
    r.SnAddr = r.SnValue = 0;
    if (plan.serialNumbers) {
        r.SnEn = 1;
        r.SnLen = plan.serialBytes == 1 || plan.serialBytes == 2 ? static_cast<uint8_t>(plan.serialBytes) : 4;
        r.SnEndian = plan.serialLittleEndian ? 1 : 0;
        if (!ParseHexNumber(plan.serialAddress, r.SnAddr))
            return fail(WithOffendingText(context, TextId::ProjectSerialAddressNotHex, plan.serialAddress));
        if (!ParseHexNumber(plan.serialValue, r.SnValue))
            return fail(WithOffendingText(context, TextId::ProjectSerialValueNotHex, plan.serialValue));
    }
    line("SnEn=", Hex(r.SnEn, 2));
    line("SnLen=", Hex(r.SnLen, 2));
    line("SnEndian=", Hex(r.SnEndian, 2));
    line("SnAddr=", Hex(r.SnAddr, 8));
    line("SnValue=", Hex(r.SnValue, 8));

    r.TimesEn = 0;
    r.TimesMax = 0;
    if (plan.countLimited) {
        uint32_t times = 0;
        if (!ParseDecimal(plan.countLimit, times))
            return fail(WithOffendingText(context, TextId::ProjectCountLimitNotDecimal, plan.countLimit));
        r.TimesEn = 1;
        r.TimesMax = static_cast<uint16_t>(times);  // the programmer keeps a 16-bit count
    }
    line("TimesEn=", Hex(r.TimesEn, 2));
    line("TimesMax=", Hex(r.TimesMax, 8));
    line("Crc32=", Hex(r.Crc32, 8));
    return result;
}

bool WriteProjectFile(OperationContext& context, MessageView& messages, const ProjectPlan& plan,
                      const std::filesystem::path& path) {
    // A project without its chip is of no use to the programmer: nothing is written.
    const int language = context.Texts.Language;
    if (plan.chipName.empty()) {
        messages.ShowMessage(Text(language, TextId::ProjectChooseChip));
        return false;
    }
    if (!context.Chip.Database) {
        messages.ShowError(Text(language, TextId::ProjectDatabaseNotOpen));
        return false;
    }
    const std::vector<ChipRow> rows = context.Chip.Database->ChipRowQuery(plan.chipName);
    if (rows.empty()) {
        messages.ShowError(Text(language, TextId::ProjectNoSuchChip, {plan.chipName}));
        return false;
    }
    std::random_device entropy;
    const uint32_t prjId = std::uniform_int_distribution<uint32_t>(0, 2147483646)(entropy);
    ComposedProject composed = ComposeProjectFile(context, plan, rows.front(), prjId);
    if (!composed.error.empty()) {
        messages.ShowError(composed.error);
        return false;
    }
    const std::string bytes = Utf8ToGbk(composed.text);
    // One command carries 512 bytes of it: a longer file would reach the programmer cut short.
    if (bytes.size() > kProjectFileLimit) {
        messages.ShowError(Text(language, TextId::ProjectFileTooLong, {std::to_string(bytes.size())}));
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);  // the program never ships "temp"
    const std::string error = WriteFileAtomically(path, bytes);
    if (!error.empty()) {
        messages.ShowError(Text(language, TextId::ProjectCannotWriteFile, {error}));
        return false;
    }
    context.Chip.PrjInfoOffline = composed.record;
    return true;
}

}  // namespace tq
