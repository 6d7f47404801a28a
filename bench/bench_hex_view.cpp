// The hex view on a 256 MiB buffer: a redraw (the page built and the widget
// painted) and a keystroke edit (nibble, undo record, checksum, page), each
// timed on the window's thread as the desktop program runs them when idle;
// and opening the Intel HEX file of a 64 MiB image into the buffer (the
// conversion into the temp folder, the load and its checksum) against
// `objcopy -I ihex -O binary` on the same file, interleaved. The HEX file is
// made by objcopy from random bytes. Prints medians and worst cases.
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/app/session.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/hex_navigation.h"
#include "core/platform/clock.h"
#include "gui/hex_view_widget.h"
#include "gui/session_worker.h"
#include "sim/sim_programmer.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
    std::vector<double> ms;
    void Report(const char* what) {
        std::sort(ms.begin(), ms.end());
        std::printf("  %-44s median %8.3f ms  99%% %8.3f ms  worst %8.3f ms  (%zu runs)\n", what, ms[ms.size() / 2],
                    ms[ms.size() * 99 / 100], ms.back(), ms.size());
    }
};

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto folder = std::filesystem::temp_directory_path() / ("tqprog-bench-view-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);

    tq::VirtualClock clock;
    tq::SimProgrammer sim(clock);
    tq::Session session(sim.volumes(), clock, folder);
    tq::gui::SessionWorker worker(session);
    tq::gui::HexViewWidget view(session, worker);
    view.resize(620, 430);
    session.Views.hexView = &view;
    tq::BufferContext& buffer = session.Buffer;

    constexpr uint32_t kBuffer = 256u << 20;
    session.Chip.PrjInfo.Capacity = kBuffer;
    tq::NewChipBuffer(buffer, kBuffer);
    std::mt19937 random(1);
    for (auto& byte : buffer.RamFile.Data) byte = static_cast<uint8_t>(random());
    auto start = Clock::now();
    tq::ForgetBufferHistory(buffer);  // what a chip read does with the new image
    tq::StorageCheckSum(buffer);
    const double newImage = Ms(Clock::now() - start);
    QImage canvas(view.size(), QImage::Format_ARGB32_Premultiplied);
    std::printf("hex view on a %u MiB buffer:\n", kBuffer >> 20);
    std::printf("  %-44s %8.3f ms (what the first keystroke after it adds)\n", "the new image's storage summed once", newImage);

    view.render(&canvas);  // the glyphs are cached once
    // What a scroll repaints: the three columns and the scroll bar, each
    // into an image of its own (as the window's backing store does); and,
    // for comparison, the whole view rendered at once.
    std::vector<std::pair<QWidget*, QImage>> parts;
    for (const char* name : {"reDownFileAddr", "reDownFile", "reDownFileAscii", "sbDownFile"}) {
        QWidget* part = view.findChild<QWidget*>(name);
        parts.emplace_back(part, QImage(part->size(), QImage::Format_ARGB32_Premultiplied));
    }
    Figures redraw, build, whole;
    for (int i = 0; i < 300; ++i) {
        const auto start = Clock::now();
        tq::ScrollHexView(buffer, static_cast<uint32_t>(random()) % kBuffer);  // page built and shown
        const auto built = Clock::now();
        for (auto& [part, image] : parts) part->render(&image);                 // and painted
        redraw.ms.push_back(Ms(Clock::now() - start));
        build.ms.push_back(Ms(built - start));
        const auto again = Clock::now();
        view.render(&canvas);
        whole.ms.push_back(Ms(Clock::now() - again));
    }
    build.Report("page built and handed over");
    redraw.Report("redraw: page built, columns and bar painted");
    whole.Report("the whole view rendered in one (QWidget::render)");

    tq::PlaceHexCaret(buffer, kBuffer / 2);
    start = Clock::now();
    tq::TypeHexKey(buffer, 'A');
    std::printf("  %-44s %8.3f ms\n", "first keystroke edit", Ms(Clock::now() - start));
    Figures edit;
    const char keys[] = "0123456789ABCDEF";
    for (int i = 0; i < 2000; ++i) {
        start = Clock::now();
        tq::TypeHexKey(buffer, keys[i % 16]);
        edit.ms.push_back(Ms(Clock::now() - start));
    }
    edit.Report("keystroke edit (nibble, undo, checksum, page)");
    const uint32_t kept = tq::StorageCheckSum(buffer);
    buffer.KnownStorageSum.reset();
    std::printf("  kept checksum %s the full sum\n", kept == tq::StorageCheckSum(buffer) ? "equals" : "DIFFERS FROM");

    // A 64 MiB image's Intel HEX file, made by objcopy.
    const auto image = folder / "image.bin", hex = folder / "image.hex", out = folder / "objcopy.bin";
    {
        std::vector<char> bytes(64u << 20);
        for (auto& byte : bytes) byte = static_cast<char>(random());
        std::ofstream(image, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (!Run("objcopy -I binary -O ihex '" + image.string() + "' '" + hex.string() + "'")) return 1;
    std::printf("opening the Intel HEX file of a 64 MiB image (%.1f MB):\n",
                static_cast<double>(std::filesystem::file_size(hex)) / 1e6);
    Figures objcopy, open;
    for (int round = 0; round < 3; ++round) {
        start = Clock::now();
        if (!Run("objcopy -I ihex -O binary '" + hex.string() + "' '" + out.string() + "'")) return 1;
        objcopy.ms.push_back(Ms(Clock::now() - start));
        std::string error;
        start = Clock::now();
        if (!tq::LoadDataFile(buffer, hex.string(), error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        open.ms.push_back(Ms(Clock::now() - start));
    }
    objcopy.Report("objcopy -I ihex -O binary (process)");
    open.Report("open into the buffer (convert, load, sum)");
    std::ifstream original(image, std::ios::binary);
    const std::vector<char> expected{std::istreambuf_iterator<char>(original), {}};
    const bool same = buffer.RamFile.DataLen == expected.size() &&
                      std::equal(expected.begin(), expected.end(), buffer.RamFile.Data.begin(),
                                 [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
    std::printf("  buffer %s the image\n", same ? "holds" : "DIFFERS FROM");
    std::filesystem::remove_all(folder);
    return same ? 0 : 1;
}
