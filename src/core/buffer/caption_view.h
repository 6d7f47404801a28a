// The main window's caption, which names what the buffer holds: a file (or
// the part of it that fits the chip), the data read from a chip, or nothing
// but the blank image of a newly chosen chip.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class CaptionView {
public:
    virtual ~CaptionView() = default;
    virtual void SetCaption(const std::string& text) = 0;
};

class NullCaptionView final : public CaptionView {
public:
    void SetCaption(const std::string&) override {}
};

struct BufferHolding {
    enum class Source { Nothing, File, Chip };
    Source source = Source::Nothing;
    std::string name;    // the file's path or the chip's name
    uint64_t total = 0;  // bytes of the file's image
    uint64_t kept = 0;   // bytes of it in the buffer
    uint64_t address = 0;  // the file's address of its image's first byte
};

}  // namespace tq
