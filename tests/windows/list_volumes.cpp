// tqvolumes: what the Windows discovery sees, one line per drive letter:
// root, removable, readable, size. The end-to-end check under Wine prints it.
#include <cstdio>

#include "core/platform/system_volumes.h"

int main() {
    for (const tq::VolumeInfo& volume : tq::MakeSystemVolumes()->List())
        std::printf("%s %s %s %llu bytes\n", volume.root.c_str(), volume.removable ? "removable" : "fixed",
                    volume.readable ? "readable" : "unreadable", static_cast<unsigned long long>(volume.totalBytes));
    return 0;
}
