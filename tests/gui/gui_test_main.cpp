// The GUI tests run on Qt's offscreen platform, on a laptop-sized screen,
// unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/gui_font.h"
#include "laptop_screen.h"

int main(int argc, char** argv) {
    QTemporaryFile screen;
    tq::testing::UseLaptopScreen(screen);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setFont(tq::gui::ProgramFont());
    return RUN_ALL_TESTS();
}
