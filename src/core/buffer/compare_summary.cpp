#include "core/buffer/compare_summary.h"

#include <algorithm>

#include "core/base/number_text.h"
#include "core/texts/text_catalogue.h"

namespace tq {

CompareSummary SummarizeDifference(const ImageDifference& difference, uint64_t address, size_t listCap) {
    CompareSummary summary;
    summary.differingBytes = difference.differingBytes;
    summary.runCount = difference.runCount;
    if (difference.equal()) return summary;
    summary.firstAddress = address + difference.firstDiffering;
    summary.lastAddress = address + difference.lastDiffering;
    const size_t listed = std::min(listCap, difference.runs.size());
    for (size_t i = 0; i < listed; ++i)
        summary.listed.push_back({address + difference.runs[i].first, difference.runs[i].length});
    summary.unlistedRuns = difference.runCount - listed;
    return summary;
}

std::string CompareAddressText(uint64_t address) {
    const uint32_t high = static_cast<uint32_t>(address >> 32);
    const uint32_t low = static_cast<uint32_t>(address);
    return "0x" + (high ? HexText(high, 1) + HexText(low, 8) : HexText(low, 6));
}

std::string CompareSummaryLine(int32_t language, const CompareSummary& summary) {
    if (summary.equal()) return Text(language, TextId::CompareEqual);
    return Text(language, TextId::CompareSummary,
                {std::to_string(summary.differingBytes), std::to_string(summary.runCount),
                 CompareAddressText(summary.firstAddress), CompareAddressText(summary.lastAddress)});
}

std::vector<std::string> CompareRangeLines(int32_t language, const CompareSummary& summary) {
    std::vector<std::string> lines;
    for (const DifferenceRun& run : summary.listed)
        lines.push_back(Text(language, TextId::CompareRange,
                             {CompareAddressText(run.first), CompareAddressText(run.last()), std::to_string(run.length)}));
    if (summary.unlistedRuns)
        lines.push_back(Text(language, TextId::CompareMoreRanges, {std::to_string(summary.unlistedRuns)}));
    return lines;
}

}  // namespace tq
