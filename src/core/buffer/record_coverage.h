// Which addresses the data records of a file have covered so far, so that a
// record over bytes an earlier one gave can be compared with them: the same
// bytes again are harmless, different ones make the file ambiguous.
#pragma once

#include <cstdint>
#include <iterator>
#include <map>
#include <optional>

namespace tq {

class RecordCoverage {
public:
    RecordCoverage() = default;
    RecordCoverage(const RecordCoverage&) = delete;
    RecordCoverage& operator=(const RecordCoverage&) = delete;

    // Adds [start, end). `differs(from, to)` is asked about each part of it
    // already covered and answers the first address there whose new byte
    // differs from the one placed before, if any; that address is returned
    // and nothing is added. Records in rising order never ask.
    template <typename Differs>
    std::optional<uint64_t> Add(uint64_t start, uint64_t end, Differs differs) {
        if (start >= end) return std::nullopt;
        if (last_ != covered_.end() && start == last_->second && ClearAfterLast(end)) {
            last_->second = end;  // the usual case: right after the record before
            bytes_ += end - start;
            return std::nullopt;
        }
        auto next = covered_.upper_bound(start);
        if (next != covered_.begin()) {
            const auto before = std::prev(next);
            if (before->second > start)
                if (auto at = differs(start, std::min(end, before->second))) return at;
        }
        for (auto it = next; it != covered_.end() && it->first < end; ++it)
            if (auto at = differs(it->first, std::min(end, it->second))) return at;
        Merge(start, end);
        return std::nullopt;
    }
    // Bytes covered, counting each address once.
    uint64_t bytes() const { return bytes_; }

private:
    // Whether the range after the last one added starts at or past `end`.
    bool ClearAfterLast(uint64_t end) const {
        const auto next = std::next(last_);
        return next == covered_.end() || next->first >= end;
    }
    void Merge(uint64_t start, uint64_t end);

    std::map<uint64_t, uint64_t> covered_;  // start -> end of each covered range, apart from one another
    std::map<uint64_t, uint64_t>::iterator last_ = covered_.end();
    uint64_t bytes_ = 0;
};

}  // namespace tq
