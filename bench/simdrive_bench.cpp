// A 1 MiB write and read of a W25Q80BV through the kernel (tqprog-simdrive
// mounted, the Linux volumes and Write.Temp opened with O_DIRECT) next to the
// same through the in-process simulator. Both run on the real clock with the
// transfer loops' own waits, so the difference is what the kernel path costs.
// Prints MB/s (median of the runs) and the CPU time of this process and of
// the drive's process per MiB.
#include <signal.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/app/chip_selection.h"
#include "core/app/session.h"
#include "core/app/session_assembly.h"
#include "core/device/presence.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kChip = "W25Q80BV";
constexpr uint32_t kBytes = 1u << 20;
constexpr int kRuns = 9;

double Seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// User plus system CPU seconds of another process.
double ProcessCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Figures {
    double mbPerSecond = 0;   // median
    double hostCpuMsPerMiB = 0;
    double driveCpuMsPerMiB = 0;
};

Figures Measure(const std::function<bool()>& operation, pid_t drive) {
    std::vector<double> rates;
    double hostCpu = 0, driveCpu = 0;
    for (int run = 0; run < kRuns; ++run) {
        const double driveBefore = drive > 0 ? ProcessCpuSeconds(drive) : 0;
        const double cpuBefore = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        const double wallBefore = Seconds(CLOCK_MONOTONIC);
        if (!operation()) {
            std::fprintf(stderr, "the operation failed\n");
            std::exit(1);
        }
        rates.push_back(kBytes / 1e6 / (Seconds(CLOCK_MONOTONIC) - wallBefore));
        hostCpu += Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore;
        if (drive > 0) driveCpu += ProcessCpuSeconds(drive) - driveBefore;
    }
    std::sort(rates.begin(), rates.end());
    return {rates[kRuns / 2], hostCpu * 1e3 / kRuns, driveCpu * 1e3 / kRuns};
}

// A session on the mounted drive or on the in-process simulator, with the
// chip selected and a random 1 MiB image in the buffer.
struct Rig {
    std::unique_ptr<tq::SessionAssembly> assembly;
    explicit Rig(const tq::FrontEndOptions& options) : assembly(std::make_unique<tq::SessionAssembly>(options)) {
        tq::StartupResult result;
        std::string error;
        tq::Session& session = assembly->session();
        if (!assembly->Start(result, error) || tq::ConnectProgrammer(session.Device) != tq::ConnectResult::Connected ||
            !tq::SelectChipByName(session, kChip)) {
            std::fprintf(stderr, "cannot set up: %s\n", error.c_str());
            std::exit(1);
        }
        std::mt19937 random(1);
        for (uint8_t& b : session.Buffer.RamFile.Data) b = static_cast<uint8_t>(random());
        session.Buffer.RamFile.DataLen = kBytes;
    }
    bool Write() { return tq::WriteImage(assembly->session().Operation) == tq::OperationOutcome::Succeeded; }
    bool Read() { return tq::ReadChip(assembly->session().Operation) == tq::OperationOutcome::Succeeded; }
};

void Print(const char* what, const Figures& f, bool drive) {
    std::printf("%-28s %7.2f MB/s   host CPU %6.1f ms/MiB", what, f.mbPerSecond, f.hostCpuMsPerMiB);
    if (drive) std::printf("   drive process CPU %6.1f ms/MiB", f.driveCpuMsPerMiB);
    std::printf("\n");
}

}  // namespace

int main() {
    const fs::path bin = TQ_BIN_DIR;
    const fs::path mount = fs::temp_directory_path() / ("tqbench-drive-" + std::to_string(getpid()));
    fs::create_directories(mount);
    const std::string daemon = (bin / "tqprog-simdrive").string();
    std::vector<std::string> args = {daemon, mount.string(), "--program-dir", bin.string(), "--sim-chip", kChip,
                                     "--sim-erase-ms", "0"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, daemon.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 1;
    for (int i = 0; i < 1000; ++i) {
        struct statvfs vfs {};
        if (statvfs(mount.c_str(), &vfs) == 0 && vfs.f_blocks * vfs.f_frsize == 4608) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    tq::FrontEndOptions kernel;
    kernel.device = mount.string();
    kernel.programDir = bin.string();
    tq::FrontEndOptions inProcess;
    inProcess.simulator = true;
    inProcess.programDir = bin.string();
    inProcess.sim.socketChip = kChip;
    inProcess.sim.eraseMs = 0;
    {
        Rig drive(kernel);
        Rig simulator(inProcess);
        std::printf("1 MiB of %s, median of %d runs, real clock\n", kChip, kRuns);
        const Figures writeKernel = Measure([&] { return drive.Write(); }, pid);
        const Figures writeInProcess = Measure([&] { return simulator.Write(); }, 0);
        const Figures readKernel = Measure([&] { return drive.Read(); }, pid);
        const Figures readInProcess = Measure([&] { return simulator.Read(); }, 0);
        Print("write, kernel path", writeKernel, true);
        Print("write, in-process simulator", writeInProcess, false);
        Print("read, kernel path", readKernel, true);
        Print("read, in-process simulator", readInProcess, false);
        // Both include the same waits (10 ms per framed command), so the
        // difference in time is what the kernel path adds.
        const auto extraMs = [](const Figures& kernel, const Figures& inProcess) {
            return (1.0 / kernel.mbPerSecond - 1.0 / inProcess.mbPerSecond) * kBytes / 1e3;
        };
        std::printf("kernel path adds %.1f ms per MiB written (512 blocks) and %.1f ms per MiB read\n",
                    extraMs(writeKernel, writeInProcess), extraMs(readKernel, readInProcess));
    }
    std::fflush(stdout);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    fs::remove(mount);
    return 0;
}
