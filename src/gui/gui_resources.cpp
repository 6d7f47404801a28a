#include "gui/gui_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitGuiQrc() { Q_INIT_RESOURCE(gui); }

namespace tq::gui {

void RegisterResources() {
    static const bool registered = (InitGuiQrc(), true);
    (void)registered;
}

}  // namespace tq::gui
