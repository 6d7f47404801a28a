// The auto options dialog TfrmAutoSel: a box for each step of the automatic
// sequence (erase, write, verify, verify twice; the ID check box stays hidden). A click
// sets its option at once, so its one button closes it.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <array>

#include "core/operations/auto_sequence.h"

namespace tq::gui {

enum class AutoOption { IdCheck, Erase, Write, Verify, VerifyTwice };

class AutoOptionsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AutoOptionsDialog(QWidget* parent);

    // Captions and ticks as the engine read them at this opening.
    void Open(const AutoSelDialog& dialog);
    // While the window is busy the options cannot change.
    void SetBusy(bool busy);
    QCheckBox* box(AutoOption option) const { return boxes_[static_cast<size_t>(option)]; }

signals:
    void optionClicked(tq::gui::AutoOption option, bool checked);

private:
    std::array<QCheckBox*, 5> boxes_{};
    QDialogButtonBox* buttons_;
};

}  // namespace tq::gui
