// Closing the main window, by any means (Exit, the title bar, the window
// manager): the settings are written and the buffer's storage is given back.
#pragma once

namespace tq {

class Session;

// Saves dev.ini (a failure is shown as an error message) and releases the
// buffer. Returns whether the settings were written.
bool CloseMainWindow(Session& session);

}  // namespace tq
