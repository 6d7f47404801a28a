#include "core/production/serial_stamp.h"

namespace tq {

bool ValueFits(const SerialStamp& stamp, uint64_t value) {
    return stamp.length >= 8 || value >> (8 * stamp.length) == 0;
}

StampProblem CheckStamp(const SerialStamp& stamp, size_t imageSize) {
    if (stamp.length != 1 && stamp.length != 2 && stamp.length != 4) return StampProblem::BadLength;
    if (static_cast<uint64_t>(stamp.address) + static_cast<uint64_t>(stamp.length) > imageSize)
        return StampProblem::BeyondImage;
    if (!ValueFits(stamp, stamp.first)) return StampProblem::FirstTooWide;
    if (stamp.step == 0) return StampProblem::ZeroStep;
    return StampProblem::None;
}

bool StampSerial(std::vector<uint8_t>& image, const SerialStamp& stamp, uint64_t value) {
    const StampProblem problem = CheckStamp(stamp, image.size());
    if (problem == StampProblem::BadLength || problem == StampProblem::BeyondImage || !ValueFits(stamp, value))
        return false;
    for (int i = 0; i < stamp.length; ++i) {
        const int shift = stamp.littleEndian ? 8 * i : 8 * (stamp.length - 1 - i);
        image[stamp.address + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> shift);
    }
    return true;
}

}  // namespace tq
