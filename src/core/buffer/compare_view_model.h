// Two images side by side, as the compare view shows them: pages of hex
// built by the hex view's own page builder for the rows on screen only, the
// bytes that differ on them, and the steps to the next or previous
// difference. The view paints what these give it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/buffer/buffer_history.h"
#include "core/buffer/buffer_record.h"
#include "core/buffer/compare_summary.h"
#include "core/buffer/hex_view_model.h"
#include "core/buffer/image_compare.h"

namespace tq {

struct CompareSide {
    std::string name;            // "Buffer", "Chip GD25Q64", a file's path
    Ram_File_Info_Struct image;  // Data and DataLen: the bytes compared
};

struct CompareDocument {
    CompareSide a, b;
    uint64_t address = 0;  // the address of both images' first byte
    ImageDifference difference;
    bool compared = false;  // both sides hold an image and `difference` is theirs
};

// Puts `bytes` on one side and compares again once both sides hold an image.
void SetCompareSide(CompareDocument& document, bool sideA, std::string name, std::vector<uint8_t> bytes);
// Reads a file through the format table onto one side (a HEX or S-record
// file as the image it describes); the left side's file gives the address.
// False with `error` when it cannot be read; the side is then kept.
bool LoadCompareSide(CompareDocument& document, bool sideA, const std::filesystem::path& path, int32_t language,
                     std::string& error);

// Bytes the view scrolls through: the longer image.
uint64_t CompareLength(const CompareDocument& document);

struct ComparePage {
    HexPage a, b;                      // either may hold fewer rows: the shorter image ends
    std::vector<std::string> addressLines;
    std::vector<ByteRange> differing;  // counted from the page's top, in order
};
// The rows from `top` (a row start): `rows` of `rowBytes`. Costs the same for
// any image size; a byte past the shorter image's end differs.
ComparePage BuildComparePage(CompareDocument& document, uint64_t top, uint32_t rows, uint32_t rowBytes);

// The first difference after `offset` and the last one before it, as the
// offset of its first byte.
std::optional<uint64_t> NextDifference(const CompareDocument& document, uint64_t offset);
std::optional<uint64_t> PreviousDifference(const CompareDocument& document, uint64_t offset);

}  // namespace tq
