// CAP to binary: the image is the file without its 2048-byte header.
#include "core/buffer/cap_conversion.h"
#include "fuzz_support.h"

using namespace tq::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto source = Scratch("in.cap");
    const auto destination = Scratch("out.bin");
    WriteBytes(source, data, size);
    const tq::ConversionReport report = tq::CapToBin(source, destination);
    const std::vector<uint8_t> image = ReadBytes(destination);
    if (size <= tq::kCapHeaderSize) {
        Check(image.empty(), "a file no longer than the header gives no image");
        return 0;
    }
    Check(report.ok, "a readable file longer than the header converts");
    Check(image == std::vector<uint8_t>(data + tq::kCapHeaderSize, data + size), "the image is the file after the header");
    return 0;
}
