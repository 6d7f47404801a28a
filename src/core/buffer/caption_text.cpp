#include "core/buffer/caption_text.h"

#include "core/buffer/chip_buffer.h"
#include "core/texts/text_catalogue.h"

namespace tq {

std::string HoldingText(const BufferHolding& holding, int32_t language) {
    switch (holding.source) {
        case BufferHolding::Source::Nothing: return {};
        case BufferHolding::Source::Chip: return Text(language, TextId::CaptionReadFromChip, {holding.name});
        case BufferHolding::Source::File: break;
    }
    if (holding.kept >= holding.total) return holding.name;
    return Text(language, TextId::CaptionPartOfFile,
                {holding.name, std::to_string(holding.kept), std::to_string(holding.total)});
}

std::string BufferCaption(const BufferContext& buffer) {
    return buffer.Texts.DevLanguage.MainSoftWareInfo + "    " + HoldingText(buffer.Holding, buffer.Texts.Language);
}

void SetBufferHolding(BufferContext& buffer, BufferHolding holding, CaptionView* caption) {
    buffer.Holding = std::move(holding);
    if (CaptionView* shown = caption ? caption : buffer.Caption) shown->SetCaption(BufferCaption(buffer));
}

void TakeChipRead(BufferContext& buffer, const std::string& chipName) {
    SetBufferHolding(buffer, {BufferHolding::Source::Chip, chipName, buffer.RamFile.DataLen, buffer.RamFile.DataLen});
    ShowStorageCheckSum(buffer);
}

}  // namespace tq
