// A box shown over a dialog that closes (and deletes itself) while the box
// is up goes with it: the question ends unanswered, and nothing is freed
// twice. Found by the monkey: the box lived on the stack and its parent
// deleted it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "gui/message_boxes.h"

namespace tq::gui {
namespace {

TEST(MessageBoxParent, ABoxOverADialogThatGoesAwayEndsUnanswered) {
    QWidget window;
    window.show();
    MessageBoxes boxes(&window);
    const struct {
        const char* name;
        std::function<int()> ask;
        int unanswered;
    } cases[] = {
        {"question", [&] { return static_cast<int>(boxes.Present(MessageKind::Question, "Go on?")); }, 0},
        {"warning", [&] { return static_cast<int>(boxes.Present(MessageKind::Warning, "Careful")); }, 1},
        {"save, discard or cancel", [&] { return static_cast<int>(boxes.AskSaveDiscardCancel("Save?")); },
         static_cast<int>(SaveChoice::Cancel)},
        {"not blank", [&] { return static_cast<int>(boxes.AskNotBlank("Not blank")); },
         static_cast<int>(NotBlankChoice::Cancel)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* dialog = new QDialog(&window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        QApplication::setActiveWindow(dialog);
        const QPointer<QDialog> watched(dialog);
        QTimer::singleShot(50, dialog, [dialog] { dialog->close(); });
        EXPECT_EQ(c.ask(), c.unanswered);
        EXPECT_TRUE(watched.isNull());
    }
}

}  // namespace
}  // namespace tq::gui
