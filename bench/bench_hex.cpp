// Throughput of the Intel HEX conversion against objcopy on the same 64 MiB
// HEX file: both are timed in this run and printed with their ratio.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/buffer/hex_conversion.h"

namespace {

constexpr std::size_t kHexSize = std::size_t{64} << 20;
constexpr int kRuns = 3;

void AppendByte(std::string& line, unsigned value, unsigned& sum) {
    static const char kDigits[] = "0123456789ABCDEF";
    line += kDigits[value >> 4 & 0xF];
    line += kDigits[value & 0xF];
    sum += value;
}

void AppendRecord(std::string& text, unsigned type, unsigned address, const uint8_t* data, unsigned count) {
    unsigned sum = 0;
    text += ':';
    AppendByte(text, count, sum);
    AppendByte(text, address >> 8 & 0xFF, sum);
    AppendByte(text, address & 0xFF, sum);
    AppendByte(text, type, sum);
    for (unsigned i = 0; i < count; ++i) AppendByte(text, data[i], sum);
    unsigned ignored = 0;
    AppendByte(text, (0x100 - (sum & 0xFF)) & 0xFF, ignored);
    text += "\r\n";
}

// Records of 32 data bytes, a 16-byte one every eighth record, and an
// extended linear address record at every 64 KiB, until the text reaches
// the target size.
std::string GenerateHex(std::size_t targetSize) {
    std::string text;
    text.reserve(targetSize + 4096);
    std::mt19937 random(1);
    uint8_t data[32];
    uint64_t address = 0;
    unsigned record = 0;
    while (text.size() < targetSize) {
        if ((address & 0xFFFF) == 0) {
            const uint8_t upper[2] = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16)};
            AppendRecord(text, 0x04, 0, upper, 2);
        }
        unsigned count = ++record % 8 == 0 ? 16 : 32;
        count = static_cast<unsigned>(std::min<uint64_t>(count, 0x10000 - (address & 0xFFFF)));
        for (unsigned i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(random());
        AppendRecord(text, 0x00, static_cast<unsigned>(address & 0xFFFF), data, count);
        address += count;
    }
    text += ":00000001FF\r\n";
    return text;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), {}, std::istreambuf_iterator<char>(y), {});
}

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / ("tqprog-bench-hex-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    const auto hexFile = folder / "image.hex";
    const auto ours = folder / "ours.bin";
    const auto theirs = folder / "objcopy.bin";
    {
        const std::string text = GenerateHex(kHexSize);
        std::ofstream(hexFile, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const double megabytes = static_cast<double>(std::filesystem::file_size(hexFile)) / 1e6;
    std::printf("HEX input: %.1f MB (%s)\n", megabytes, hexFile.c_str());

    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const tq::ConversionReport report = tq::HexToBin(hexFile, ours);
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
        if (!report.ok || !report.warnings.empty()) {
            std::fprintf(stderr, "HexToBin failed: %s\n", report.error.c_str());
            return 1;
        }
    }
    const std::string command = "objcopy -I ihex -O binary '" + hexFile.string() + "' '" + theirs.string() + "'";
    double bestObjcopy = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "objcopy failed: %s\n", command.c_str());
            return 1;
        }
        bestObjcopy = std::min(bestObjcopy, Seconds(std::chrono::steady_clock::now() - start));
    }
    std::printf("HexToBin: %7.3f s  %8.1f MB/s\n", best, megabytes / best);
    std::printf("objcopy:  %7.3f s  %8.1f MB/s\n", bestObjcopy, megabytes / bestObjcopy);
    std::printf("ratio HexToBin/objcopy throughput: %.2f\n", bestObjcopy / best);
    std::printf("images %s\n", SameFile(ours, theirs) ? "identical" : "DIFFER");
    std::filesystem::remove_all(folder);
    return 0;
}
