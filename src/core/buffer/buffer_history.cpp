#include "core/buffer/buffer_history.h"

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

void BufferHistory::Clear() {
    done_.clear();
    undone_.clear();
    storedBytes_ = 0;
    clean_ = 0;
    openByteEdit.reset();
}

}  // namespace tq
