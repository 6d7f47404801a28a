#include "core/operations/contact_check.h"

#include <algorithm>

#include "core/base/number_text.h"
#include "core/buffer/image_digests.h"
#include "core/operations/operation_context.h"
#include "core/operations/read_verify.h"
#include "core/texts/text_catalogue.h"

namespace tq {

namespace {

// Bytes of a range shown in a report line; a longer range ends in "...".
constexpr uint64_t kShownRunBytes = 8;

std::string RunBytes(const uint8_t* bytes, const DifferenceRun& run) {
    std::string text;
    const uint64_t shown = std::min(run.length, kShownRunBytes);
    for (uint64_t i = 0; i < shown; ++i) text += (i ? " " : "") + HexText(bytes[run.first + i], 2);
    if (shown < run.length) text += " ...";
    return text;
}

std::string RunAddress(const DifferenceRun& run, uint32_t address) {
    const auto at = [address](uint64_t offset) { return "0x" + HexText(static_cast<uint32_t>(address + offset), 6); };
    return run.length == 1 ? at(run.first) : at(run.first) + "-" + at(run.last());
}

void ShowLines(OperationContext& operation, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) ShowStatus(operation, StatusLine(operation.clock(), line));
}

}  // namespace

ContactCheck ReadChipTwice(OperationContext& operation) {
    ContactCheck check;
    // One claim for both reads: a stop between them is not lost.
    OperationScope scope(operation);
    if (!scope.claimed()) {
        check.outcome = OperationOutcome::Busy;
        return check;
    }
    if ((check.outcome = ReadMayStart(operation)) != OperationOutcome::Succeeded) return check;
    const uint8_t channel = operation.Chip.PrjInfo.ChannelSelector;
    for (std::vector<uint8_t>* image : {&check.first, &check.second}) {
        if (image == &check.second)
            ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::ReadTwiceSecondRead)));
        if (const int result = ReadChipImage(operation, channel, *image); result != kOpSuccess) {
            check.outcome = OutcomeOfResult(result);
            return check;
        }
    }
    check.difference = CompareImages(check.first.data(), check.first.size(), check.second.data(), check.second.size(),
                                     kReportedDifferenceRuns);
    Indicate(operation, IndicatorCode::Finished);
    Indicate(operation, check.difference.equal() ? IndicatorCode::Passed : IndicatorCode::Failed);
    return check;
}

std::vector<std::string> DifferenceReport(int32_t language, const ImageDifference& difference, const uint8_t* first,
                                          const uint8_t* second, uint32_t address) {
    std::vector<std::string> lines{Text(language, TextId::ReadTwiceDiffer, {std::to_string(difference.differingBytes),
                                                                            std::to_string(difference.runCount)})};
    for (const DifferenceRun& run : difference.runs)
        lines.push_back(Text(language, TextId::ReadTwiceRun,
                             {RunAddress(run, address), RunBytes(first, run), RunBytes(second, run)}));
    if (difference.runCount > difference.runs.size())
        lines.push_back(Text(language, TextId::ReadTwiceMoreRuns, {std::to_string(difference.runCount - difference.runs.size())}));
    lines.push_back(Text(language, TextId::ReadTwiceHint));
    return lines;
}

std::vector<std::string> ContactReport(int32_t language, const ContactCheck& check) {
    if (check.outcome != OperationOutcome::Succeeded) return {};
    if (check.stable()) {
        const uint32_t crc = DigestsOf(check.first.data(), check.first.size(), kDigestCrc32).crc32;
        return {Text(language, TextId::ReadTwiceStable, {Crc32Hex(crc)})};
    }
    return DifferenceReport(language, check.difference, check.first.data(), check.second.data(), 0);
}

OperationOutcome CheckContact(OperationContext& operation) {
    const ContactCheck check = ReadChipTwice(operation);
    if (check.outcome != OperationOutcome::Succeeded) return check.outcome;
    ShowLines(operation, ContactReport(operation.Texts.Language, check));
    if (check.stable()) {
        operation.Views.progress->SetState(ProgressState::Normal);
        return OperationOutcome::Succeeded;
    }
    ShowProgressFailure(operation, "ERROR");
    return OperationOutcome::Failed;
}

int VerifyAgain(OperationContext& operation, uint8_t channel) {
    ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::VerifyTwiceSecondRead)));
    std::vector<uint8_t> chip;
    if (const int result = ReadChipImage(operation, channel, chip); result != kOpSuccess) return result;
    const Ram_File_Info_Struct& buffer = operation.Buffer.RamFile;
    const uint32_t start = std::min<uint32_t>(operation.Chip.PrjInfo.RamStartAddr, static_cast<uint32_t>(chip.size()));
    const size_t length = std::min<size_t>({buffer.DataLen, buffer.Data.size(), chip.size() - start});
    const ImageDifference difference =
        CompareImages(buffer.Data.data(), length, chip.data() + start, length, kReportedDifferenceRuns);
    if (difference.equal()) return kOpSuccess;
    ShowLines(operation, DifferenceReport(operation.Texts.Language, difference, buffer.Data.data(), chip.data() + start, start));
    ShowProgressFailure(operation, "Error");
    return kOpFailed;
}

}  // namespace tq
