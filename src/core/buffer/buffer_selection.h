// The bytes the hex view shows selected: what the last find or find next
// matched, until a new image or chip replaces the buffer. Length 0: nothing
// is selected.
#pragma once

#include <cstdint>

namespace tq {

struct BufferSelection {
    uint32_t Offset = 0;  // buffer offset of the first selected byte
    uint32_t Length = 0;
    bool operator==(const BufferSelection&) const = default;
};

}  // namespace tq
