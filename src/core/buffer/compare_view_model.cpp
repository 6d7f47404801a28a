#include "core/buffer/compare_view_model.h"

#include <algorithm>

#include "core/buffer/image_formats.h"

namespace tq {

namespace {

Ram_File_Info_Struct& Side(CompareDocument& document, bool sideA) { return sideA ? document.a.image : document.b.image; }

void Recompare(CompareDocument& document) {
    const Ram_File_Info_Struct& a = document.a.image;
    const Ram_File_Info_Struct& b = document.b.image;
    document.compared = !a.Data.empty() && !b.Data.empty();
    document.difference = document.compared
                              ? CompareImages(a.Data.data(), a.DataLen, b.Data.data(), b.DataLen, kKeptCompareRuns)
                              : ImageDifference{};
}

HexPage PageOf(Ram_File_Info_Struct& image, uint64_t address, uint64_t top, uint32_t rows, uint32_t rowBytes) {
    if (top >= image.DataLen) return {};
    image.ViewTop = static_cast<uint32_t>(top);
    return BuildHexPage(image, static_cast<uint32_t>(address), rows, rowBytes);
}

}  // namespace

void SetCompareSide(CompareDocument& document, bool sideA, std::string name, std::vector<uint8_t> bytes) {
    (sideA ? document.a : document.b).name = std::move(name);
    Ram_File_Info_Struct& image = Side(document, sideA);
    image.DataLen = static_cast<uint32_t>(bytes.size());
    image.Data = std::move(bytes);
    image.ViewTop = 0;
    Recompare(document);
}

bool LoadCompareSide(CompareDocument& document, bool sideA, const std::filesystem::path& path, int32_t language,
                     std::string& error) {
    FileImage file;
    ImageReadOptions reading;
    reading.language = language;
    const ConversionReport report = file.Read(path, reading);
    if (!report.ok) {
        error = report.error;
        return false;
    }
    const auto bytes = file.span().bytes;
    if (sideA) document.address = file.span().address;  // addresses are the left image's, as on the CLI
    SetCompareSide(document, sideA, path.string(), std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return true;
}

uint64_t CompareLength(const CompareDocument& document) {
    return std::max(document.a.image.DataLen, document.b.image.DataLen);
}

ComparePage BuildComparePage(CompareDocument& document, uint64_t top, uint32_t rows, uint32_t rowBytes) {
    ComparePage page;
    page.a = PageOf(document.a.image, document.address, top, rows, rowBytes);
    page.b = PageOf(document.b.image, document.address, top, rows, rowBytes);
    page.addressLines = page.a.addressLines.size() >= page.b.addressLines.size() ? page.a.addressLines
                                                                                 : page.b.addressLines;
    if (!document.compared) return page;
    const Ram_File_Info_Struct& a = document.a.image;
    const Ram_File_Info_Struct& b = document.b.image;
    const uint64_t end = std::min<uint64_t>(CompareLength(document), top + uint64_t{rows} * rowBytes);
    for (uint64_t i = top; i < end; ++i) {
        const bool differs = i >= a.DataLen || i >= b.DataLen || a.Data[i] != b.Data[i];
        if (!differs) continue;
        const uint32_t offset = static_cast<uint32_t>(i - top);
        if (!page.differing.empty() && page.differing.back().offset + page.differing.back().count == offset)
            ++page.differing.back().count;
        else
            page.differing.push_back({offset, 1});
    }
    return page;
}

std::optional<uint64_t> NextDifference(const CompareDocument& document, uint64_t offset) {
    const long run = NextRunAfter(document.difference.runs, offset);
    if (run < 0) return std::nullopt;
    return document.difference.runs[static_cast<size_t>(run)].first;
}

std::optional<uint64_t> PreviousDifference(const CompareDocument& document, uint64_t offset) {
    const long run = PreviousRunBefore(document.difference.runs, offset);
    if (run < 0) return std::nullopt;
    return document.difference.runs[static_cast<size_t>(run)].first;
}

}  // namespace tq
