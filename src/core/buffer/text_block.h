// Record text on its way to a file: a writer puts its records straight into
// a large block, and each full block goes to the sink. Once the text needs
// a second block, the sink runs on a thread of its own, so that the system's
// copy of one block into the file overlaps the encoding of the next (on a
// large file the two cost about the same).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace tq {

// Takes the written text a large piece at a time; false when it could not be kept.
using ByteSink = std::function<bool(const char* data, std::size_t size)>;

class TextBlock {
public:
    explicit TextBlock(const ByteSink& sink);
    ~TextBlock();  // waits for the sink to be done with the blocks handed to it
    TextBlock(const TextBlock&) = delete;
    TextBlock& operator=(const TextBlock&) = delete;

    // Room for at least `count` more characters; the writer advances `end()` past what it put.
    char* Reserve(std::size_t count);
    void Advance(char* end) { used_ = static_cast<std::size_t>(end - block_.data()); }
    // Hands what is left to the sink; false when the sink refused any of the text.
    bool Finish();

private:
    class Pipeline;
    // Gives the full block to the sink and continues in an empty one.
    void HandOver();

    const ByteSink& sink_;
    std::vector<char> block_;
    std::size_t used_ = 0;
    bool failed_ = false;
    std::unique_ptr<Pipeline> pipeline_;  // started with the second block
};

}  // namespace tq
