// The Checksums dialog through the real window: a range of the buffer, a
// range refused, the chip read after a write, and a value copied.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/app/chip_selection.h"
#include "gui/checksum_dialog.h"
#include "gui_rig.h"

namespace tq::testing {
namespace {

struct ChecksumRig : GuiRig {
    gui::ChecksumDialog* dialog() { return window->findChild<gui::ChecksumDialog*>("ChecksumDialog"); }
    QLineEdit* field(const char* name) { return dialog()->findChild<QLineEdit*>(name); }
    QString Compute(int source, const QString& from, const QString& to) {
        dialog()->findChild<QComboBox*>("ChecksumSource")->setCurrentIndex(source);
        field("ChecksumFrom")->setText(from);
        field("ChecksumTo")->setText(to);
        dialog()->computeButton()->click();
        WaitIdle();
        return field("ChecksumCRC32")->text();
    }
    QString Summary() { return dialog()->findChild<QLabel*>("ChecksumSummary")->text(); }
};

TEST(ChecksumDialog, SumsARangeOfTheBufferAndTheChipAndCopiesAValue) {
    ChecksumRig rig;
    ASSERT_TRUE(rig.Start("24C02"));
    rig.Poll();
    ASSERT_TRUE(SelectChipByName(*rig.session, "24C02"));
    rig.WaitIdle();
    rig.Trigger("Menu_Settings_Lang_EN");
    const std::string digits = "123456789";
    std::copy(digits.begin(), digits.end(), rig.session->Buffer.RamFile.Data.begin());
    rig.Trigger("MenuBufferChecksums");
    ASSERT_TRUE(rig.dialog()->isVisible());
    EXPECT_EQ(rig.dialog()->windowTitle(), "Checksums");
    EXPECT_TRUE(rig.field("ChecksumSHA256")->isReadOnly());

    EXPECT_EQ(rig.Compute(0, "0", "8"), "cbf43926");
    EXPECT_EQ(rig.Summary(), "Buffer: 9 bytes, 0x000000–0x000008");
    EXPECT_EQ(rig.field("ChecksumCheckSum")->text(), "0x000001DD");

    EXPECT_EQ(rig.Compute(0, "10", "zz"), "");
    EXPECT_TRUE(rig.Summary().contains("\"zz\" is not a hexadecimal address")) << rig.Summary().toStdString();

    // After a write the chip, read into an image of its own, sums as the buffer does.
    const QString buffer = rig.Compute(0, "", "");
    rig.Trigger("MenuWrite");
    EXPECT_EQ(rig.Compute(1, "", ""), buffer);
    EXPECT_EQ(rig.Summary(), "24C02: 256 bytes, 0x000000–0x0000FF");

    for (QPushButton* button : rig.dialog()->findChildren<QPushButton*>())
        if (button->text() == "Copy") {
            button->click();
            break;
        }
    EXPECT_EQ(QApplication::clipboard()->text(), buffer);
}

}  // namespace
}  // namespace tq::testing
