// The buffer's undo and redo stacks and where the last file opened, read or
// saved sits among them. A change holds only what it needs to go back and
// forth: the bytes of its range in the other state (exchanged on each undo
// and redo, so one copy serves both), or nothing at all for a byte swap,
// which undoes itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace tq {

// A run of bytes: `count` bytes from buffer offset `offset`.
struct ByteRange {
    uint32_t offset = 0;
    uint32_t count = 0;
    bool operator==(const ByteRange&) const = default;
};

struct BufferEdit {
    enum class Kind : uint8_t { Bytes, SwapPairs };
    Kind kind = Kind::Bytes;
    uint32_t offset = 0;         // Bytes: where the range starts
    std::vector<uint8_t> bytes;  // Bytes: the range's contents in the other state
    uint32_t dataLen = 0;        // DataLen in the other state
    uint32_t ramStartAddr = 0;   // RamStartAddr in the other state
};

// Changes kept beyond this many stored bytes drop the oldest first (the
// newest change is always kept).
inline constexpr uint64_t kUndoBudgetBytes = uint64_t{512} << 20;

class BufferHistory {
public:
    // A new change: the redo stack is dropped.
    void Push(BufferEdit change, uint64_t budgetBytes = kUndoBudgetBytes);
    // Moves the newest change to the redo stack and hands it out to be applied.
    BufferEdit* Undo();
    BufferEdit* Redo();
    size_t UndoCount() const { return done_.size(); }
    size_t RedoCount() const { return undone_.size(); }
    uint64_t StoredBytes() const { return storedBytes_; }

    // Whether the buffer differs from the last file opened, read or saved.
    bool Modified() const { return !clean_ || *clean_ != done_.size(); }
    // The bytes within [from, to) that the changes between now and the last
    // file touched, merged into runs in order. A byte changed and changed
    // back still counts. Once the file's state has left the history, the
    // changes still kept count.
    std::vector<ByteRange> ChangedSinceClean(uint64_t from, uint64_t to) const;
    // The buffer now equals a file (saved); undo and redo stay possible.
    void MarkClean() { clean_ = done_.size(); }
    // A new image (chip change, chip read, opened file): nothing to undo.
    void Clear();

    // A high-nibble edit on top of the stack that the low nibble continues.
    std::optional<uint32_t> openByteEdit;

private:
    std::deque<BufferEdit> done_;
    std::vector<BufferEdit> undone_;
    std::optional<size_t> clean_ = 0;  // UndoCount at the clean state; none once unreachable
    uint64_t storedBytes_ = 0;
};

}  // namespace tq
