#include "core/buffer/source_text.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tq {

SourceText::~SourceText() {
#ifndef _WIN32
    if (map_) ::munmap(map_, size_);
#endif
}

bool SourceText::Load(SourceFile& file) {
#ifndef _WIN32
    const auto size = static_cast<std::size_t>(file.size());
    if (size > 0) {
        const int descriptor = ::open(file.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor >= 0) {
            void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
            ::close(descriptor);
            if (map != MAP_FAILED) {
                ::madvise(map, size, MADV_SEQUENTIAL);
                map_ = map;
                size_ = size;
                return true;
            }
        }
    }
#endif
    // Where mapping is not possible (an empty file, a special file) the file is read.
    return file.ReadAll(copy_);
}

bool SourceText::Load(SourceFile& file, ConversionReport& report, const TextPicker& says) {
    if (Load(file)) return true;
    report.ok = false;
    report.error = says(TextId::ImageFileUnreadable, {file.path().string()});
    return false;
}

}  // namespace tq
