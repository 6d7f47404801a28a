// --trace: every frame on stderr, one line each, from whichever thread sends.
#pragma once

#include <iostream>
#include <mutex>

#include "core/base/views.h"

namespace tq::gui {

class StderrTrace final : public TraceView {
public:
    void Trace(const std::string& line) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::cerr << line << '\n';
    }

private:
    std::mutex mutex_;
};

}  // namespace tq::gui
