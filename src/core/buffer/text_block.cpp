#include "core/buffer/text_block.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace tq {

namespace {
constexpr std::size_t kBlockSize = std::size_t{256} << 10;
// One block being filled, one being written, one ready: the two sides
// rarely wait for each other, and the blocks stay in the processor's cache.
constexpr std::size_t kBlocks = 3;
// The first block starts small and grows with the text: a short file never
// pays for zeroing a large block.
constexpr std::size_t kFirstBlockSize = std::size_t{4} << 10;
}  // namespace

// Full blocks wait in order for the sink's thread; it hands them back empty.
class TextBlock::Pipeline {
public:
    explicit Pipeline(const ByteSink& sink) : sink_(sink), thread_([this] { Drain(); }) {}
    ~Pipeline() { Close(); }

    // Queues the full block and returns an empty one.
    std::vector<char> Exchange(std::vector<char> full, std::size_t used) {
        std::unique_lock lock(mutex_);
        full_.push_back({std::move(full), used});
        changed_.notify_all();
        if (spare_.empty() && made_ < kBlocks) {
            ++made_;
            return std::vector<char>(kBlockSize);
        }
        changed_.wait(lock, [this] { return !spare_.empty(); });
        std::vector<char> empty = std::move(spare_.back());
        spare_.pop_back();
        return empty;
    }

    // Waits until every queued block went to the sink; false when the sink refused one.
    bool Close() {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
            changed_.notify_all();
        }
        if (thread_.joinable()) thread_.join();
        return !failed_;
    }

private:
    void Drain() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return !full_.empty() || closing_; });
            if (full_.empty()) return;
            Full full = std::move(full_.front());
            full_.pop_front();
            const bool skip = failed_;
            lock.unlock();
            // After a refusal the rest is dropped: the file is discarded anyway.
            const bool kept = skip || sink_(full.block.data(), full.used);
            lock.lock();
            failed_ = failed_ || !kept;
            spare_.push_back(std::move(full.block));
            changed_.notify_all();
        }
    }

    struct Full {
        std::vector<char> block;
        std::size_t used;
    };

    const ByteSink& sink_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Full> full_;
    std::vector<std::vector<char>> spare_;
    std::size_t made_ = 1;  // blocks in use, the writer's first one included
    bool closing_ = false;
    bool failed_ = false;
    std::thread thread_;  // last: it starts once the rest is set up
};

TextBlock::TextBlock(const ByteSink& sink) : sink_(sink), block_(kFirstBlockSize) {}

TextBlock::~TextBlock() = default;

void TextBlock::HandOver() {
    if (used_ == 0) return;
    if (!pipeline_) pipeline_ = std::make_unique<Pipeline>(sink_);
    block_ = pipeline_->Exchange(std::move(block_), used_);
    used_ = 0;
}

char* TextBlock::Reserve(std::size_t count) {
    if (block_.size() - used_ < count && block_.size() < kBlockSize)
        block_.resize(std::max(used_ + count, std::min(block_.size() * 4, kBlockSize)));
    if (block_.size() - used_ < count) {
        HandOver();
        if (block_.size() < count) block_.resize(count);
    }
    return block_.data() + used_;
}

bool TextBlock::Finish() {
    if (pipeline_) {
        HandOver();
        failed_ = !pipeline_->Close() || failed_;
    } else if (used_ > 0) {
        failed_ = !sink_(block_.data(), used_);
    }
    used_ = 0;
    return !failed_;
}

}  // namespace tq
