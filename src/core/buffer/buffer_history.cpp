#include "core/buffer/buffer_history.h"

#include <algorithm>
#include <utility>

namespace tq {

void BufferHistory::Push(BufferEdit change, uint64_t budgetBytes) {
    openByteEdit.reset();
    for (const BufferEdit& dropped : undone_) storedBytes_ -= dropped.bytes.size();
    undone_.clear();
    if (clean_ && *clean_ > done_.size()) clean_.reset();  // the clean state was undone and is gone
    storedBytes_ += change.bytes.size();
    done_.push_back(std::move(change));
    while (storedBytes_ > budgetBytes && done_.size() > 1) {
        storedBytes_ -= done_.front().bytes.size();
        done_.pop_front();
        if (clean_) clean_ = *clean_ == 0 ? std::nullopt : std::optional<size_t>(*clean_ - 1);
    }
}

BufferEdit* BufferHistory::Undo() {
    openByteEdit.reset();
    if (done_.empty()) return nullptr;
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
    return &undone_.back();
}

BufferEdit* BufferHistory::Redo() {
    openByteEdit.reset();
    if (undone_.empty()) return nullptr;
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    return &done_.back();
}

std::vector<ByteRange> BufferHistory::ChangedSinceClean(uint64_t from, uint64_t to) const {
    std::vector<std::pair<uint64_t, uint64_t>> spans;  // [begin, end) within [from, to)
    auto add = [&](const BufferEdit& change) {
        uint64_t begin = from, end = to;  // a byte swap touches every shown byte
        if (change.kind == BufferEdit::Kind::Bytes) {
            begin = std::max<uint64_t>(from, change.offset);
            end = std::min<uint64_t>(to, uint64_t{change.offset} + change.bytes.size());
        }
        if (begin < end) spans.emplace_back(begin, end);
    };
    const size_t done = done_.size();
    const size_t clean = clean_.value_or(0);
    if (clean <= done) {
        for (size_t i = clean; i < done; ++i) add(done_[i]);
    } else {
        // Undone below the file's state: the changes undone since then differ.
        const size_t undoneSince = std::min(clean - done, undone_.size());
        for (size_t i = undone_.size() - undoneSince; i < undone_.size(); ++i) add(undone_[i]);
    }
    std::sort(spans.begin(), spans.end());
    std::vector<ByteRange> runs;
    uint64_t runEnd = 0;
    for (const auto& [begin, end] : spans) {
        if (!runs.empty() && begin <= runEnd) {
            runEnd = std::max(runEnd, end);
            runs.back().count = static_cast<uint32_t>(runEnd - runs.back().offset);
        } else {
            runs.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(end - begin)});
            runEnd = end;
        }
    }
    return runs;
}

void BufferHistory::Clear() {
    done_.clear();
    undone_.clear();
    storedBytes_ = 0;
    clean_ = 0;
    openByteEdit.reset();
}

}  // namespace tq
