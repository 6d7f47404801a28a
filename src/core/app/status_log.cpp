#include "core/app/status_log.h"

#include <initializer_list>

#include "core/base/atomic_write.h"
#include "core/texts/status_line.h"
#include "core/texts/text_catalogue.h"
#include "core/texts/text_context.h"

namespace tq {
namespace {

using Field = std::string Dev_Language_Struct::*;

// A text with %1 markers is recognised by what comes before its first one.
std::string_view Fixed(std::string_view text) { return text.substr(0, text.find('%')); }

bool Says(std::string_view line, std::string_view text) {
    text = Fixed(text);
    return !text.empty() && line.find(text) != std::string_view::npos;
}

bool SaysAny(const TextContext& texts, std::string_view line, std::initializer_list<Field> fields,
             std::initializer_list<TextId> ids) {
    for (Field field : fields)
        if (Says(line, texts.DevLanguage.*field)) return true;
    for (TextId id : ids)
        if (Says(line, Text(texts.Language, id))) return true;
    return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "hh:mm:ss " at the start of a line.
bool StartsWithTime(std::string_view line) {
    if (line.size() < 9) return false;
    for (size_t i : {0, 1, 3, 4, 6, 7})
        if (!IsDigit(line[i])) return false;
    return line[2] == ':' && line[5] == ':' && line[8] == ' ';
}

// A transfer's running count: digits, "/", digits, "=>".
bool IsProgressLine(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && IsDigit(line[i])) ++i;
    if (i == 0 || i >= line.size() || line[i] != '/') return false;
    const size_t denominator = ++i;
    while (i < line.size() && IsDigit(line[i])) ++i;
    return i > denominator && line.substr(i, 2) == "=>";
}

}  // namespace

StatusKind KindOfStatusLine(const TextContext& texts, std::string_view line) {
    using L = Dev_Language_Struct;
    // Failures first: some of them name the operation a success text names too.
    if (SaysAny(texts, line,
                {&L::LogChipCheckCommError, &L::LogChipCheckError, &L::LogChipEraseChipErr, &L::LogChipEraseCommError,
                 &L::LogChipWriteChipErr, &L::LogChipWriteCommError, &L::LogChipWriteFileError, &L::LogChipReadError,
                 &L::LogChipVerifyError, &L::LogChipDetectError, &L::LogStaError},
                {TextId::NoChipInSocket, TextId::SelfCheckNoAnswer, TextId::VerifyDifference, TextId::VerifyNotErasedHint,
                 TextId::VerifyTransferFailed, TextId::BlankCheckTransferFailed, TextId::EraseDidNotEnd,
                 TextId::RunningEraseDidNotEnd, TextId::ChipLeftSocket, TextId::BackupNotSaved}))
        return StatusKind::Failure;
    if (SaysAny(texts, line,
                {&L::LogChipBankFalse, &L::LogChipDetectUnknown, &L::LogChipDetectNULL, &L::LogChipMassStop,
                 &L::LogChipMassAutoStop},
                {TextId::AutoRunNoStep, TextId::WriteStoppedAfter, TextId::ReadStoppedAfter, TextId::VerifyStoppedAfter,
                 TextId::BlankCheckStoppedAfter, TextId::EraseStoppedAfter, TextId::EraseWaitStopped,
                 TextId::RunningEraseWaitStopped, TextId::BackupReadEnded, TextId::WriteCancelledNotBlank}))
        return StatusKind::Warning;
    if (SaysAny(texts, line,
                {&L::LogChipEraseSuccess, &L::LogChipWriteSuccess, &L::LogChipReadSuccess, &L::LogChipVerifySuccess,
                 &L::LogChipBankTrue, &L::LogChipCheckOK, &L::LogChipDetect, &L::LogStaSuccess},
                {TextId::SelfCheckPassed, TextId::BackupSaved}))
        return StatusKind::Success;
    return StatusKind::Plain;
}

LogLine MakeLogLine(const TextContext& texts, Clock& clock, const std::string& line) {
    LogLine entry;
    entry.kind = KindOfStatusLine(texts, line);
    entry.progress = IsProgressLine(line);
    entry.text = StartsWithTime(line) ? line : StatusLine(clock, line);
    return entry;
}

std::string SaveLogFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return WriteFileAtomically(path, text);
}

}  // namespace tq
