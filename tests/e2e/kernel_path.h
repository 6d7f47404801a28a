// The built tqprog-cli and tqprog-simdrive run as processes: a mounted
// simulated programmer drive and commands run against it through the kernel.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_folder.h"

extern char** environ;

namespace tq::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline std::string BinFile(const std::string& name) { return (fs::path(TQ_BIN_DIR) / name).string(); }

inline std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Why the kernel path cannot be tried on this machine; empty when it can.
inline std::string KernelPathUnavailable() {
    if (access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is missing or not usable";
    for (const char* folder : {"/usr/bin", "/bin", "/usr/local/bin", "/usr/sbin", "/sbin"})
        if (access((fs::path(folder) / "fusermount3").c_str(), X_OK) == 0) return {};
    return "fusermount3 is not installed";
}

// The environment of a child: ours without the programmer settings, plus `extra`.
inline std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("TQPROG_", 0) != 0) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// A started child process with its stdout and stderr in files.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv, const fs::path& outputStem)
        : out_(outputStem.string() + ".out"), err_(outputStem.string() + ".err") {
        const std::vector<std::string> env = ChildEnvironment(extraEnv);
        std::vector<char*> argv, envp;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        pid_ = fork();
        if (pid_ != 0) return;
        // A test run killed at its time limit takes its drives with it:
        // no simulated drive outlives the test that mounted it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ~Child() {
        if (Running()) {
            kill(pid_, SIGKILL);
            Wait(5s);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running() {
        if (pid_ <= 0 || status_ >= 0) return false;
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) != pid_) return true;
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return false;
    }
    // The exit status (128 + signal when killed); -1 when still running at the deadline.
    int Wait(std::chrono::milliseconds deadline) {
        const auto until = std::chrono::steady_clock::now() + deadline;
        while (Running() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(5ms);
        return status_;
    }
    void Signal(int sig) {
        if (Running()) kill(pid_, sig);
    }
    std::string out() const { return ReadText(out_); }
    std::string err() const { return ReadText(err_); }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string out_, err_;
};

struct ProcessResult {
    int status = -1;
    std::string out, err;
};

// Runs a program to its end (killed after a minute: nothing here takes that long).
inline ProcessResult RunProcess(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
                                const fs::path& outputStem) {
    Child child(args, extraEnv, outputStem);
    ProcessResult result;
    result.status = child.Wait(60s);
    result.out = child.out();
    result.err = child.err();
    return result;
}

inline uint64_t VolumeBytes(const fs::path& root) {
    struct statvfs vfs {};
    if (statvfs(root.c_str(), &vfs) != 0) return 0;
    return static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
}

// tqprog-simdrive serving a mount point until the object goes.
class MountedDrive {
public:
    // Null with `skipReason` when this machine cannot mount; null with
    // `failure` when the simulated drive itself failed.
    static std::unique_ptr<MountedDrive> Start(const fs::path& mountPoint, const fs::path& programDir,
                                               const std::vector<std::string>& options, std::string& skipReason,
                                               std::string& failure) {
        fs::create_directories(mountPoint);
        std::vector<std::string> args = {BinFile("tqprog-simdrive"), mountPoint.string(), "--program-dir", programDir.string()};
        args.insert(args.end(), options.begin(), options.end());
        auto drive = std::unique_ptr<MountedDrive>(new MountedDrive(mountPoint, args));
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (VolumeBytes(mountPoint) != 4608) {
            if (!drive->daemon_.Running() || std::chrono::steady_clock::now() > until) {
                const std::string err = drive->daemon_.err();
                (err.find("cannot mount") != std::string::npos ? skipReason : failure) =
                    "tqprog-simdrive did not mount " + mountPoint.string() + ": " + err;
                return nullptr;
            }
            std::this_thread::sleep_for(5ms);
        }
        return drive;
    }
    ~MountedDrive() { Stop(); }

    // Unmounts as Ctrl+C does; the daemon's exit status.
    int Stop() {
        daemon_.Signal(SIGTERM);
        const int status = daemon_.Wait(10s);
        if (VolumeBytes(mountPoint_) == 4608) {
            // Never leave a mount behind for other programs to trip over.
            const std::string command = "fusermount3 -u -z '" + mountPoint_.string() + "' 2>/dev/null";
            [[maybe_unused]] const int ignored = std::system(command.c_str());
        }
        return status;
    }
    Child& daemon() { return daemon_; }
    const fs::path& root() const { return mountPoint_; }

private:
    MountedDrive(const fs::path& mountPoint, const std::vector<std::string>& args)
        : mountPoint_(mountPoint), daemon_(args, {}, mountPoint.parent_path() / (mountPoint.filename().string() + "-daemon")) {}

    fs::path mountPoint_;
    Child daemon_;
};

}  // namespace tq::testing
