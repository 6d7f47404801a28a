// The Program menu's production view: every attached programmer in one
// window, made by main() once the session is up.
#include "gui/main_window.h"
#include "gui/production_window.h"

namespace tq::gui {

void MainWindow::SetProductionWindow(ProductionWindow* window) {
    production_ = window;
    connect(this, &MainWindow::languageApplied, window, &ProductionWindow::Retranslate);
}

void MainWindow::MenuProductionClick() {
    if (!production_) return;
    production_->show();
    production_->raise();
    production_->activateWindow();
}

}  // namespace tq::gui
