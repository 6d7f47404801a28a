// Whether a long procedure (a chip operation, a project download, a firmware
// update) holds the session. Waits process events, so without this a click
// could start one procedure inside another.
#pragma once

namespace tq {

struct BusyState {
    bool Running = false;
};

}  // namespace tq
