// Search as you type in the chip search dialog: every key released runs the
// search of the text so far over the whole chip database. Types a few chip
// names letter by letter (and a wildcard pattern), each keystroke 20 times,
// and prints the time per keystroke: the mean of all runs, and per
// keystroke its best run (what it costs without other programs in the way),
// median and worst over the keystrokes.
//   tqbench_chip_search LOGIN.DAT
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/app/chip_search.h"
#include "core/app/session.h"
#include "sim/sim_programmer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tqbench_chip_search LOGIN.DAT\n");
        return 2;
    }
    tq::VirtualClock clock;
    tq::SimProgrammer sim{clock};
    tq::Session session(sim.volumes(), clock, std::filesystem::path(argv[1]).parent_path());
    session.Chip.Database = tq::ChipDatabase::Open(argv[1]);

    const std::vector<std::string> names = {"W25Q128JV", "GD25Q64", "MX25L12835F", "AT24C256", "S25FL", "25%64", "SST26VF"};
    constexpr int kRuns = 20;
    struct Keystroke {
        std::string text;
        size_t rows = 0;
        double bestMs = 1e9;
    };
    std::vector<Keystroke> keystrokes;
    double totalMs = 0;
    for (const std::string& name : names)
        for (size_t letters = 1; letters <= name.size(); ++letters) keystrokes.push_back({name.substr(0, letters)});
    for (int run = 0; run < kRuns; ++run) {
        for (Keystroke& key : keystrokes) {
            tq::ChipSearch search;
            const auto start = std::chrono::steady_clock::now();
            search.Search(session, key.text);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            totalMs += ms;
            key.bestMs = std::min(key.bestMs, ms);
            key.rows = search.Results().size();
        }
    }
    std::sort(keystrokes.begin(), keystrokes.end(), [](const Keystroke& a, const Keystroke& b) { return a.bestMs < b.bestMs; });
    const Keystroke& worst = keystrokes.back();
    std::printf("%zu keystrokes x %d runs over %zu chips\n", keystrokes.size(), kRuns,
                session.Chip.database().SearchQuery("").size());
    std::printf("mean of all runs %.3f ms; best run per keystroke: median %.3f ms, worst %.3f ms (\"%s\", %zu rows)\n",
                totalMs / static_cast<double>(keystrokes.size() * kRuns), keystrokes[keystrokes.size() / 2].bestMs,
                worst.bestMs, worst.text.c_str(), worst.rows);
    return 0;
}
