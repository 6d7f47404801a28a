// Buffer > Compare with Chip and Compare with File: the images are taken on
// the session worker (the chip read with the bar and Stop, like Read), then
// the compare view shows them.
#include "core/app/session.h"
#include "core/buffer/compare_view_model.h"
#include "core/buffer/image_formats.h"
#include "core/operations/compare_chip.h"
#include "core/texts/text_catalogue.h"
#include "gui/compare_view.h"
#include "gui/main_window.h"

namespace tq::gui {

namespace {

// The buffer's side: the bytes a write would send, or all of it when nothing was loaded.
std::vector<uint8_t> BufferBytes(const Ram_File_Info_Struct& buffer, uint32_t length) {
    const size_t count = length ? length : buffer.Data.size();
    return std::vector<uint8_t>(buffer.Data.begin(), buffer.Data.begin() + static_cast<long>(count));
}

}  // namespace

void MainWindow::MenuBufferCompareChipClick() {
    RunCommand(Kind::Operation, [this](Session& s) -> GuiStep {
        ChipComparison comparison;
        if (CompareChipWithBuffer(s.Operation, comparison) != OperationOutcome::Succeeded) return {};
        const int language = s.Texts.Language;
        auto document = std::make_shared<CompareDocument>();
        document->address = comparison.start;
        const auto chipFirst = comparison.chip.begin() + comparison.start;
        SetCompareSide(*document, true, Text(language, TextId::CompareBufferSide),
                       BufferBytes(s.Buffer.RamFile, comparison.length));
        SetCompareSide(*document, false, Text(language, TextId::CompareChipSide, {s.Chip.PrjInfo.ChipName}),
                       std::vector<uint8_t>(chipFirst, chipFirst + comparison.length));
        return [this, document, language] { ShowCompare(document, language); };
    });
}

void MainWindow::MenuBufferCompareFileClick() {
    const std::string path = messages_->ChooseOpenFile(Text(language_, TextId::CompareChooseFile),
                                                       OpenFileFilters(language_), "", "");
    if (path.empty()) return;
    RunCommand(Kind::Command, [this, path](Session& s) -> GuiStep {
        const int language = s.Texts.Language;
        auto document = std::make_shared<CompareDocument>();
        document->address = s.Chip.PrjInfo.RamStartAddr;
        SetCompareSide(*document, true, Text(language, TextId::CompareBufferSide),
                       BufferBytes(s.Buffer.RamFile, s.Buffer.RamFile.DataLen));
        std::string error;
        if (!LoadCompareSide(*document, false, path, language, error)) {
            s.Views.messages->ShowError(error);
            return {};
        }
        return [this, document, language] { ShowCompare(document, language); };
    });
}

void MainWindow::ShowCompare(const std::shared_ptr<CompareDocument>& document, int language) {
    if (!compareView_) compareView_ = new CompareView(*messages_, this);
    compareView_->Open(std::move(*document), language);
}

void MainWindow::RetranslateCompareMenu() {
    actions_.value("MenuBufferCompareChip")->setText(QString::fromStdString(Text(language_, TextId::CompareWithChipCommand)) + "(&C)");
    actions_.value("MenuBufferCompareFile")->setText(QString::fromStdString(Text(language_, TextId::CompareWithFileCommand)) + "(&L)");
    if (compareView_) compareView_->Retranslate(language_);
}

}  // namespace tq::gui
