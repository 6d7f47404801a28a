// The Checksums dialog's two commands: opening it with the buffer's selection
// as the range, and computing what it asks for on the worker (a chip read is
// an operation: the bar shows it and Stop ends it).
#include "core/app/session.h"
#include "gui/checksum_dialog.h"
#include "gui/main_window.h"

namespace tq::gui {

void MainWindow::MenuBufferChecksumsClick() {
    if (!checksums_) {
        checksums_ = new ChecksumDialog(this);
        busyDisabled_ << checksums_->computeButton();
        connect(checksums_, &ChecksumDialog::computeClicked, this,
                [this] { Guard("ChecksumCompute", [this] { ComputeChecksumsClick(); }); });
    }
    RunCommand(Kind::Command, [this](Session& s) -> GuiStep {
        const auto [from, to] = SelectedSumRange(s);
        return [this, from, to] { checksums_->Open(language_, from, to); };
    });
}

void MainWindow::ComputeChecksumsClick() {
    const ChecksumRequest request = checksums_->Request();
    const Kind kind = request.source == SumSource::Chip ? Kind::Operation : Kind::Command;
    RunCommand(kind, [this, request](Session& s) -> GuiStep {
        const ChecksumReport report = ComputeChecksums(s, request);
        return [this, report] { checksums_->ShowReport(report); };
    });
}

}  // namespace tq::gui
