#include "core/operations/compare_chip.h"

#include "core/buffer/compare_summary.h"
#include "core/operations/operation_context.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "core/texts/status_line.h"
#include "core/texts/text_catalogue.h"

namespace tq {

OperationOutcome CompareChipWithBuffer(OperationContext& operation, ChipComparison& comparison) {
    comparison = {};
    if (const OperationOutcome fits = CheckImageFitsChip(operation); fits != OperationOutcome::Succeeded) return fits;
    if (const OperationOutcome read = CopyChip(operation, comparison.chip); read != OperationOutcome::Succeeded)
        return read;
    comparison.start = operation.Chip.PrjInfo.RamStartAddr;
    comparison.length = WriteLength(operation);
    const uint8_t* buffer = operation.Buffer.RamFile.Data.data();
    comparison.difference = CompareImages(buffer, comparison.length, comparison.chip.data() + comparison.start,
                                          comparison.length, kKeptCompareRuns);
    const int32_t language = operation.Texts.Language;
    const CompareSummary summary = SummarizeDifference(comparison.difference, comparison.start);
    ShowStatus(operation, StatusLine(operation.clock(),
                                     Text(language, TextId::CompareWithChipLine, {CompareSummaryLine(language, summary)})));
    return OperationOutcome::Succeeded;
}

}  // namespace tq
