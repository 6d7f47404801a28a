#include "core/app/window_close.h"

#include "core/app/session.h"
#include "core/app/settings.h"

namespace tq {

bool CloseMainWindow(Session& session) {
    // Settings first: FilePath is recomputed from the open dialog, not the buffer.
    const bool saved = SaveSettings(session);
    Ram_File_Info_Struct& ram = session.Buffer.RamFile;
    std::vector<uint8_t>().swap(ram.Data);
    ram.DataLen = 0;
    return saved;
}

}  // namespace tq
