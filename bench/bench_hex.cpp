// Intel HEX conversion against objcopy on the HEX file of a 64 MiB image
// (about 190 MB), whole process: each round runs objcopy, the tqprog-cli
// `convert` process, the HexToBin call (file reading and image writing
// included) and the process again into a file that does not exist yet, one
// after another on the same warm file, so load from other work on the
// machine hits all alike. Prints the median of each.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/buffer/hex_conversion.h"

namespace {

constexpr uint64_t kImageSize = uint64_t{64} << 20;
constexpr int kRounds = 5;

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

// Records of 16 data bytes and an extended linear address record at every
// 64 KiB, the layout objcopy itself writes.
std::string GenerateHex(uint64_t imageSize) {
    std::string text;
    text.reserve(static_cast<std::size_t>(imageSize * 3));
    std::mt19937 random(1);
    uint8_t data[16];
    uint64_t address = 0;
    while (address < imageSize) {
        if ((address & 0xFFFF) == 0) {
            const uint8_t upper[2] = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16)};
            AppendRecord(text, 0x04, 0, upper, 2);
        }
        const unsigned count = 16;
        for (unsigned i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(random());
        AppendRecord(text, 0x00, static_cast<unsigned>(address & 0xFFFF), data, count);
        address += count;
    }
    text += ":00000001FF\r\n";
    return text;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), {}, std::istreambuf_iterator<char>(y), {});
}

std::string Quoted(const std::filesystem::path& path) {
    std::string text = path.string();
    text.insert(text.begin(), '\'');
    text.push_back('\'');
    return text;
}

struct Contender {
    const char* name;
    std::function<bool()> run;
    std::filesystem::path output;
    std::vector<double> seconds;
    // Removes the output before each (untimed) run: shows what replacing an
    // existing file costs (ext4 starts writing back a file renamed over another).
    bool freshOutput = false;
};

}  // namespace

// Usage: bench_hex [path of tqprog-cli]
int main(int argc, char** argv) {
    const std::filesystem::path cli = argc > 1 ? argv[1] : TQPROG_CLI_PATH;
    const auto folder = std::filesystem::temp_directory_path() / ("tqprog-bench-hex-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    const auto hexFile = folder / "image.hex";
    {
        const std::string text = GenerateHex(kImageSize);
        std::ofstream(hexFile, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const double megabytes = static_cast<double>(std::filesystem::file_size(hexFile)) / 1e6;
    std::printf("HEX input: %.1f MB for a %llu MiB image (%s)\n", megabytes,
                static_cast<unsigned long long>(kImageSize >> 20), hexFile.c_str());

    const auto shell = [](const std::string& command) { return std::system(command.c_str()) == 0; };
    std::vector<Contender> contenders;
    contenders.push_back({"objcopy process", nullptr, folder / "objcopy.bin", {}});
    contenders.push_back({"tqprog-cli process", nullptr, folder / "cli.bin", {}});
    contenders.push_back({"HexToBin call", nullptr, folder / "call.bin", {}});
    contenders.push_back({"tqprog-cli, new file", nullptr, folder / "cli-new.bin", {}, true});
    contenders[0].run = [&, out = contenders[0].output] {
        return shell("objcopy -I ihex -O binary " + Quoted(hexFile) + " " + Quoted(out));
    };
    contenders[1].run = [&, out = contenders[1].output] {
        return shell(Quoted(cli) + " convert " + Quoted(hexFile) + " " + Quoted(out) + " > /dev/null");
    };
    contenders[2].run = [&, out = contenders[2].output] {
        const tq::ConversionReport report = tq::HexToBin(hexFile, out);
        return report.ok && report.warnings.empty();
    };
    contenders[3].run = [&, out = contenders[3].output] {
        return shell(Quoted(cli) + " convert " + Quoted(hexFile) + " " + Quoted(out) + " > /dev/null");
    };

    for (int round = 0; round < kRounds; ++round) {
        for (Contender& c : contenders) {
            if (c.freshOutput) std::filesystem::remove(c.output);
            const auto start = std::chrono::steady_clock::now();
            if (!c.run()) {
                std::fprintf(stderr, "%s failed\n", c.name);
                return 1;
            }
            c.seconds.push_back(Seconds(std::chrono::steady_clock::now() - start));
        }
    }

    const double objcopy = Median(contenders[0].seconds);
    std::printf("median of %d interleaved rounds:\n", kRounds);
    for (const Contender& c : contenders) {
        const double median = Median(c.seconds);
        std::printf("  %-21s %7.3f s %8.1f MB/s  %5.2fx objcopy  image %s\n", c.name, median, megabytes / median,
                    objcopy / median, SameFile(c.output, contenders[0].output) ? "identical" : "DIFFERS");
    }
    std::filesystem::remove_all(folder);
    return 0;
}
