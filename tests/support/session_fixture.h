// A session on a fresh temporary program folder with recording views and
// no programmer attached, for tests of the application shell.
#pragma once

#include <memory>

#include "core/platform/clock.h"
#include "core/app/session.h"
#include "support/fake_volumes.h"
#include "support/program_folder.h"
#include "support/recording_views.h"

namespace tq::testing {

struct SessionFixture {
    ProgramFolder folder;
    FakeVolumes volumes;
    VirtualClock clock;
    RecordingMessages messages;
    RecordingStatusBar statusBar;
    std::unique_ptr<Session> session = MakeSession();

    std::unique_ptr<Session> MakeSession() {
        auto made = std::make_unique<Session>(volumes, clock, folder.path());
        made->Views.messages = &messages;
        made->Views.statusBar = &statusBar;
        return made;
    }
};

}  // namespace tq::testing
