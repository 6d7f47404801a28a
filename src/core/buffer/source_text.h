// The whole of a source file as text for the record readers: mapped into
// memory where the system allows it, so that a large file is neither copied
// nor zeroed first; read in one piece elsewhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/buffer/image_formats.h"
#include "core/texts/text_catalogue.h"

namespace tq {

class SourceText {
public:
    SourceText() = default;
    ~SourceText();
    SourceText(const SourceText&) = delete;
    SourceText& operator=(const SourceText&) = delete;

    // False when the file could not be read whole.
    bool Load(SourceFile& file);
    // The same for a reader: a failure also marks the report failed and
    // names the file, in the language `says` speaks.
    bool Load(SourceFile& file, ConversionReport& report, const TextPicker& says);
    std::string_view text() const { return map_ ? std::string_view(static_cast<const char*>(map_), size_) : copy_; }

private:
    void* map_ = nullptr;
    std::size_t size_ = 0;
    std::string copy_;
};

}  // namespace tq
