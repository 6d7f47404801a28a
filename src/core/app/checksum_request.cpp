#include "core/app/checksum_request.h"

#include "core/app/session.h"
#include "core/base/number_text.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/image_formats.h"
#include "core/operations/read_verify.h"
#include "core/texts/text_catalogue.h"

namespace tq {

namespace {

void SumBytes(ChecksumReport& report, int32_t language, const ChecksumRequest& request, const uint8_t* bytes,
              uint64_t size) {
    report.imageSize = size;
    const std::optional<SumRange> range = ParseSumRange(language, request.from, request.to, size, report.error);
    if (!range) return;
    report.range = *range;
    report.sums = TextsOf(DigestsOf(bytes + range->first, range->count));
    report.ok = true;
}

}  // namespace

ChecksumReport ComputeChecksums(Session& session, const ChecksumRequest& request) {
    const int32_t language = session.Texts.Language;
    ChecksumReport report;
    switch (request.source) {
        case SumSource::Buffer: {
            // The whole storage, as the status bar's checksum counts it.
            report.source = Text(language, TextId::SumSourceBuffer);
            SumBytes(report, language, request, session.Buffer.RamFile.Data.data(), StorageBound(session.Buffer));
            break;
        }
        case SumSource::Chip: {
            report.source = session.Chip.PrjInfo.ChipName;
            std::vector<uint8_t> chip;
            report.chipRead = CopyChip(session.Operation, chip);
            if (report.chipRead != OperationOutcome::Succeeded) {
                report.error = Text(language, TextId::SumChipNotRead);
                break;
            }
            SumBytes(report, language, request, chip.data(), chip.size());
            break;
        }
        case SumSource::File: {
            report.source = request.file;
            FileImage image;
            ImageReadOptions reading;
            reading.language = language;
            const ConversionReport read = image.Read(request.file, reading);
            report.warnings = read.warnings;
            if (!read.ok) {
                report.error = read.error;
                break;
            }
            const auto bytes = image.span().bytes;
            SumBytes(report, language, request, bytes.data(), bytes.size());
            break;
        }
    }
    return report;
}

std::pair<std::string, std::string> SelectedSumRange(const Session& session) {
    const BufferSelection& selected = session.Buffer.Selection;
    if (selected.Length == 0) return {};
    return {HexText(selected.Offset, 6), HexText(selected.Offset + selected.Length - 1, 6)};
}

}  // namespace tq
