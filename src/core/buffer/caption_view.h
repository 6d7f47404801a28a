// The main window's caption, which names the file last loaded into the buffer.
#pragma once

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

}  // namespace tq
