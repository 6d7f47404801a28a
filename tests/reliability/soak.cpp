// tqsoak: three mounted simulated programmers (tqprog-simdrive, random
// faults on: failed transfers, lost answers, the chip taken out, the drive
// pulled for a moment) each run the auto sequence of tqprog-cli over and
// over, a fresh image every cycle. Afterwards: every run that said it
// passed left its image in the chip, no drive process grew by 1 MiB or
// more, and none kept more files or threads open than after warming up.
//   tqsoak [--cycles N] [--seconds S] [--rate PER_MILLION] [--seed N] [--chip NAME]
// Exit status 0 passed, 1 a finding, 77 when this machine cannot mount.
#include <dirent.h>

#include <atomic>
#include <iostream>
#include <mutex>
#include <random>
#include <sstream>

#include "e2e/kernel_path.h"
#include "support/program_folder.h"

namespace tq::testing {
namespace {

// Under AddressSanitizer freed memory waits in its quarantine, so a
// process grows without leaking (the leak checker judges leaks there).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

struct SoakOptions {
    uint64_t cycles = 1000;  // per programmer
    double seconds = 0;      // 0: no time limit
    uint32_t rate = 5000;    // random faults per million transfers
    uint64_t seed = 1;
    std::string chip = "GD25Q40";
    size_t imageBytes = 64 * 1024;
    uint64_t warmUpCycles = 10;  // figures are compared from here on
};

// What a drive process holds, from /proc.
struct ProcessFigures {
    long rssKiB = 0, hwmKiB = 0;
    int threads = 0, files = 0;
};

ProcessFigures Measure(pid_t pid) {
    ProcessFigures figures;
    std::istringstream status(ReadText("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        const auto value = [&line] { return std::stol(line.substr(line.find(':') + 1)); };
        if (line.rfind("VmRSS:", 0) == 0) figures.rssKiB = value();
        else if (line.rfind("VmHWM:", 0) == 0) figures.hwmKiB = value();
        else if (line.rfind("Threads:", 0) == 0) figures.threads = static_cast<int>(value());
    }
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        ++figures.files;
    return figures;
}

struct Programmer {
    std::string serial;
    fs::path home;  // its own program folder: the runs do not share settings
    std::unique_ptr<MountedDrive> drive;
    uint64_t cycles = 0, passed = 0, failed = 0, kept = 0;
    ProcessFigures warm, end;
    std::string faults;  // the drive's last word on the faults it drew
    std::vector<std::string> findings;
};

class Soak {
public:
    explicit Soak(const SoakOptions& options) : options_(options) {}

    int Run() {
        if (const std::string reason = KernelPathUnavailable(); !reason.empty()) {
            std::cout << "soak: skipped: " << reason << '\n';
            return 77;
        }
        const char* serials[] = {"SOAK-A", "SOAK-B", "SOAK-C"};
        for (size_t i = 0; i < 3; ++i) {
            Programmer& p = programmers_[i];
            p.serial = serials[i];
            p.home = folder_ / p.serial;
            fs::create_directories(p.home);
            for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"})
                fs::copy_file(fs::path(TQ_BIN_DIR) / name, p.home / name);
            std::string skip, failure;
            p.drive = MountedDrive::Start(
                folder_ / ("mnt-" + p.serial), p.home,
                {"--sim-serial", p.serial, "--sim-chip", options_.chip, "--sim-erase-ms", "0", "--sim-state",
                 (p.home / "state").string(), "--sim-fault-rate", std::to_string(options_.rate), "--sim-fault-seed",
                 std::to_string(options_.seed * 3 + i)},
                skip, failure);
            if (!p.drive) {
                std::cout << "soak: " << (skip.empty() ? "FAILED: " + failure : "skipped: " + skip) << '\n';
                return skip.empty() ? 1 : 77;
            }
        }
        started_ = std::chrono::steady_clock::now();
        std::vector<std::thread> runs;
        for (size_t i = 0; i < 3; ++i) runs.emplace_back([this, i] { Cycles(programmers_[i], i); });
        for (std::thread& run : runs) run.join();
        return Report();
    }

private:
    bool TimeIsUp() const {
        return options_.seconds > 0 &&
               std::chrono::steady_clock::now() - started_ > std::chrono::duration<double>(options_.seconds);
    }

    // Has the drive keep its memories now (SIGUSR1) and waits for its word.
    bool Keep(Programmer& p) {
        const std::string said = "state kept " + std::to_string(++p.kept) + ";";
        p.drive->daemon().Signal(SIGUSR1);
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < until) {
            const std::string err = p.drive->daemon().err();
            const size_t at = err.find(said);
            const size_t faults = err.find("faults", at);
            const size_t end = err.find('\n', faults);
            if (at != std::string::npos && faults != std::string::npos && end != std::string::npos) {
                p.faults = err.substr(faults, end - faults);
                return true;
            }
            std::this_thread::sleep_for(2ms);
        }
        p.findings.push_back("the drive did not keep its state when asked (" + said + ")");
        return false;
    }

    void Cycles(Programmer& p, size_t index) {
        std::mt19937_64 random(options_.seed * 7919 + index);
        const fs::path image = p.home / "image.bin";
        const fs::path kept = p.home / "state" / ("chip-" + options_.chip + ".bin");
        for (uint64_t cycle = 1; cycle <= options_.cycles && !TimeIsUp() && p.findings.empty(); ++cycle) {
            std::string bytes(options_.imageBytes, '\0');
            for (char& byte : bytes) byte = static_cast<char>(random());
            std::ofstream(image, std::ios::binary) << bytes;
            const ProcessResult run = RunProcess({BinFile("tqprog-cli"), "--program-dir", p.home.string(), "--lang", "2",
                                                  "--device", p.drive->root().string(), "-c", options_.chip, "auto",
                                                  image.string()},
                                                 {}, p.home / "cli");
            ++p.cycles;
            if (run.status < 0) {
                p.findings.push_back("cycle " + std::to_string(cycle) + ": the auto run did not end within a minute");
            } else if (run.status == 0) {
                ++p.passed;
                if (Keep(p) && ReadText(kept).compare(0, bytes.size(), bytes) != 0)
                    p.findings.push_back("cycle " + std::to_string(cycle) +
                                         ": the auto run said it passed but the chip does not hold the image:\n" + run.out);
            } else {
                ++p.failed;
                // As an operator would: wait until a chip or drive a fault
                // took away is back (300 ms at most), not fail the next runs too.
                std::this_thread::sleep_for(350ms);
            }
            if (!p.drive->daemon().Running()) p.findings.push_back("the drive process ended: " + p.drive->daemon().err());
            if (cycle == options_.warmUpCycles) p.warm = Measure(p.drive->daemon().pid());
            if (cycle % 100 == 0) {
                const std::lock_guard lock(print_);
                std::cout << "soak: " << p.serial << ": " << cycle << " cycles, " << p.passed << " passed" << std::endl;
            }
        }
        Keep(p);
        p.end = Measure(p.drive->daemon().pid());
    }

    int Report() {
        bool sound = true;
        for (Programmer& p : programmers_) {
            std::cout << "soak: " << p.serial << ": " << p.cycles << " cycles, " << p.passed << " passed, " << p.failed
                      << " failed; " << p.faults << '\n';
            if (p.cycles > options_.warmUpCycles) {
                const long growth = p.end.rssKiB - p.warm.rssKiB;
                std::cout << "soak: " << p.serial << ": VmRSS " << p.warm.rssKiB << " KiB after " << options_.warmUpCycles
                          << " cycles, " << p.end.rssKiB << " KiB at the end (" << (growth >= 0 ? "+" : "") << growth
                          << " KiB), VmHWM " << p.end.hwmKiB << " KiB; files " << p.warm.files << " -> " << p.end.files
                          << ", threads " << p.warm.threads << " -> " << p.end.threads << '\n';
                if (growth >= 1024 && !kSanitized)
                    p.findings.push_back("the drive process grew by " + std::to_string(growth) + " KiB");
                if (p.end.files > p.warm.files) p.findings.push_back("the drive process keeps more files open");
                if (p.end.threads > p.warm.threads) p.findings.push_back("the drive process runs more threads");
            }
            // A soak where nearly nothing passes proves nothing about false successes.
            if (p.passed * 2 < p.cycles) p.findings.push_back("fewer than half the runs passed");
            for (const std::string& finding : p.findings) {
                std::cout << "soak: FAILED with seed " << options_.seed << ": " << p.serial << ": " << finding << '\n';
                sound = false;
            }
            const int stopped = p.drive->Stop();
            if (stopped != 0) {
                std::cout << "soak: FAILED: " << p.serial << ": the drive ended with status " << stopped << ": "
                          << p.drive->daemon().err() << '\n';
                sound = false;
            }
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        std::cout << "soak: " << (sound ? "passed" : "FAILED") << " with seed " << options_.seed << " in "
                  << static_cast<long long>(seconds) << " s\n";
        return sound ? 0 : 1;
    }

    SoakOptions options_;
    ProgramFolder folder_;
    Programmer programmers_[3];
    std::mutex print_;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace
}  // namespace tq::testing

int main(int argc, char** argv) {
    tq::testing::SoakOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        try {
            if (arg == "--cycles" && hasValue) options.cycles = std::stoull(argv[++i]);
            else if (arg == "--seconds" && hasValue) options.seconds = std::stod(argv[++i]);
            else if (arg == "--rate" && hasValue) options.rate = static_cast<uint32_t>(std::stoul(argv[++i]));
            else if (arg == "--seed" && hasValue) options.seed = std::stoull(argv[++i]);
            else if (arg == "--chip" && hasValue) options.chip = argv[++i];
            else throw std::invalid_argument(arg);
        } catch (const std::exception&) {
            std::cerr << "usage: tqsoak [--cycles N] [--seconds S] [--rate PER_MILLION] [--seed N] [--chip NAME]\n";
            return 2;
        }
    }
    return tq::testing::Soak(options).Run();
}
