// The main window's layout as a person sees it: nothing cut at the smallest
// size in any language, a wide window used by the hex view, the window kept
// on the screen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

#include "core/base/number_text.h"
#include "gui/chip_frame_widget.h"
#include "gui/hex_view_widget.h"
#include "gui/window_fit.h"
#include "core/app/language_menu.h"
#include "gui_rig.h"
#include "support/fixture_languages.h"

namespace tq::testing {
namespace {


// The widget's whole rectangle lies inside the window's visible content.
bool Inside(QWidget& window, QWidget& widget) {
    const QRect shown(widget.mapTo(&window, QPoint(0, 0)), widget.size());
    return window.rect().contains(shown);
}

TEST(WindowLayout, AtItsSmallestSizeNoCaptionOrMenuIsCutAndTheHexViewKeeps16Columns) {
    // The built-in three and every translation shipped (the fixtures until there are any).
    const ScopedLanguages languages(ShippedOrFixtureLanguages());
    for (const LanguageMenuEntry& entry : LanguageMenuEntries(0)) {
        const char* language = entry.control.c_str();
        SCOPED_TRACE(language);
        GuiRig rig;
        ASSERT_TRUE(rig.StartWithGD25Q64Selected());
        rig.Trigger(language);
        rig.window->show();
        rig.window->resize(640, 480);  // asks for less than the window allows
        rig.WaitIdle();
        // A new minimum rearranges the content, which may settle the minimum once more.
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
        EXPECT_EQ(rig.window->size(), rig.window->minimumSize());
        EXPECT_GT(rig.window->width(), 640);
        for (QToolButton* button : rig.window->findChildren<QToolButton*>()) {
            if (!button->isVisible() || button->text().isEmpty()) continue;
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
            EXPECT_TRUE(Inside(*rig.window, *button)) << button->objectName().toStdString();
        }
        QMenuBar* menus = rig.window->menuBar();
        for (QAction* menu : menus->actions())
            if (menu->isVisible()) {
                EXPECT_TRUE(menus->rect().contains(menus->actionGeometry(menu))) << menu->text().toStdString();
            }
        gui::ChipFrameWidget& frame = rig.window->chipFrame();
        for (QComboBox* box : frame.findChildren<QComboBox*>())
            if (box->isVisible()) {
                EXPECT_GE(box->width(), box->minimumSizeHint().width());
            }
        for (QLabel* label : frame.findChildren<QLabel*>())
            if (label->isVisible()) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            }
        gui::HexViewWidget& view = rig.window->hexView();
        // Never fewer than 16 bytes a row; a language whose tool buttons widen the window gets more.
        EXPECT_GE(view.rowBytes(), 16u);
        EXPECT_EQ(view.page().hexLines.front().size(), view.rowBytes() * 3);
        QWidget* ascii = view.findChild<QWidget*>("reDownFileAscii");
        EXPECT_LE(ascii->geometry().right(), view.findChild<QWidget*>("sbDownFile")->geometry().left());
        EXPECT_TRUE(Inside(*rig.window, view));
    }
}

TEST(WindowLayout, AWideWindowGivesTheHexViewMoreBytesPerRowAndLeavesTheToolButtonsPacked) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    rig.Trigger("Menu_Settings_Lang_EN");
    rig.window->show();
    rig.window->resize(1600, 1000);
    rig.WaitIdle();
    rig.WaitIdle();  // the new width reaches the engine, the page comes back
    gui::HexViewWidget& view = rig.window->hexView();
    const uint32_t rowBytes = view.rowBytes();
    EXPECT_GT(rowBytes, 16u);
    EXPECT_EQ(rowBytes % 8, 0u);
    EXPECT_EQ(view.page().rowBytes, rowBytes);
    EXPECT_EQ(view.page().addressLines.at(1), HexText(rowBytes, 6) + " ");
    EXPECT_EQ(view.page().hexLines.front().size(), rowBytes * 3);
    // Less than another step of 8 bytes would fit is left over.
    QWidget* ascii = view.findChild<QWidget*>("reDownFileAscii");
    const int spare = view.findChild<QWidget*>("sbDownFile")->geometry().left() - ascii->geometry().right();
    EXPECT_LT(spare, 8 * 4 * view.fontMetrics().horizontalAdvance('0'));
    for (QGroupBox* group : rig.window->findChildren<QGroupBox*>())
        if (group->objectName().startsWith("gbTool")) {
            EXPECT_EQ(group->width(), group->sizeHint().width());
        }
}

TEST(WindowLayout, TheWindowIsSizedAndPlacedWithinTheScreensFreeArea) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    const QRect free = rig.window->screen()->availableGeometry();
    EXPECT_TRUE(free.contains(rig.window->frameGeometry())) << rig.window->frameGeometry().y();
    rig.window->findChild<gui::WindowFit*>()->Place(free.size() * 3);  // far more than the screen
    EXPECT_TRUE(free.contains(rig.window->frameGeometry()));
    EXPECT_GE(rig.window->geometry().top(), free.top());  // the menu bar is on the screen
}

TEST(WindowLayout, EveryToolButtonIconHasPixelsForScale2) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    for (QToolButton* button : rig.window->findChildren<QToolButton*>()) {
        if (button->icon().isNull()) continue;
        // At scale 2 the icon has twice the pixels it has at scale 1, not the same ones enlarged.
        const QSize size = button->iconSize();
        EXPECT_GE(button->icon().pixmap(size, 2.0).width(), 2 * button->icon().pixmap(size, 1.0).width() - 1)
            << button->objectName().toStdString();
    }
}

}  // namespace
}  // namespace tq::testing
