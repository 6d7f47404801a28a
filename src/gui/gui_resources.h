// The pictures compiled into the widget library; a static library's
// resources must be registered before first use.
#pragma once

namespace tq::gui {

void RegisterResources();

}  // namespace tq::gui
