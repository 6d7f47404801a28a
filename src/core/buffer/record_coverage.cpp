#include "core/buffer/record_coverage.h"

#include <algorithm>

namespace tq {

void RecordCoverage::Merge(uint64_t start, uint64_t end) {
    // Every range that overlaps or touches [start, end) becomes part of it.
    auto first = covered_.upper_bound(start);
    if (first != covered_.begin() && std::prev(first)->second >= start) --first;
    auto last = first;
    uint64_t lo = start, hi = end, already = 0;
    for (; last != covered_.end() && last->first <= end; ++last) {
        lo = std::min(lo, last->first);
        hi = std::max(hi, last->second);
        already += last->second - last->first;
    }
    covered_.erase(first, last);
    last_ = covered_.emplace(lo, hi).first;
    bytes_ += (hi - lo) - already;
}

}  // namespace tq
