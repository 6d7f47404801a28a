// kill -9 in the middle of a save: runs a saving command of the program with
// tqkill-point.so preloaded, which kills it with SIGKILL just before its Nth
// file-changing call, then checks the file the command replaces: the old
// contents intact or the new ones whole, never a mixture, a short or an empty
// file, and a second, undisturbed run still completes.
//   tqkill [--kind NAME]... [--kills N] [--seed S] [--keep]
// Kinds: bin hex srec (saving a chip read), convert, merge, devini,
// userchips, dbupgrade; all by default. Exit 0 when every kill left the file
// whole. The program, the library and the chip database are taken from the
// folder this executable is in.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/app/session.h"
#include "core/app/settings.h"
#include "core/chipdb/chip_database.h"
#include "core/platform/clock.h"
#include "support/fake_volumes.h"

namespace fs = std::filesystem;

namespace {

fs::path BinFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string RandomBytes(std::mt19937& random, size_t count) {
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// One run of a command: its arguments, extra environment and the folder whose
// files count as kill points.
struct Command {
    std::vector<std::string> args;
    std::map<std::string, std::string> environment;
    fs::path watched;
};

struct Outcome {
    bool killed = false;
    int exitCode = -1;
};

// Runs the command with the library preloaded; killAt 0 kills nowhere.
Outcome Run(const Command& command, long killAt, const fs::path& countFile = {}) {
    std::map<std::string, std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t equals = entry.find('=');
        if (equals != std::string::npos) environment[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    for (const auto& [key, value] : command.environment) environment[key] = value;
    environment["LD_PRELOAD"] = (BinFolder() / "tqkill-point.so").string();
    environment["TQKILL_DIR"] = fs::weakly_canonical(command.watched).string() + "/";
    // A sanitizer build wants its runtime first; the library comes before it.
    environment["ASAN_OPTIONS"] = "verify_asan_link_order=0:detect_leaks=0";
    environment.erase("TQKILL_AT");
    environment.erase("TQKILL_COUNT");
    if (killAt > 0) environment["TQKILL_AT"] = std::to_string(killAt);
    if (!countFile.empty()) environment["TQKILL_COUNT"] = countFile.string();
    std::vector<std::string> entries;
    for (const auto& [key, value] : environment) entries.push_back(key + "=" + value);
    std::vector<char*> envp, argv;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = command.args;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Outcome outcome;
    outcome.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

enum class State { Old, New, Broken };

// One kind of save: prepare() lays out the pristine folder once; each kill
// starts from a copy of it. state() tells old, new or broken.
struct Kind {
    std::string name;
    std::function<void(const fs::path& pristine, std::mt19937& random)> prepare;
    std::function<Command(const fs::path& work)> command;
    std::function<State(const fs::path& work, std::string& why)> state;
};

const fs::path kCli = BinFolder() / "tqprog-cli";

void CopyProgramFiles(const fs::path& folder) {
    fs::create_directories(folder);
    for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"})
        fs::copy_file(BinFolder() / name, folder / name, fs::copy_options::overwrite_existing);
}

void MustSucceed(const Command& command, const char* what) {
    const Outcome outcome = Run(command, 0);
    if (outcome.exitCode != 0) {
        std::fprintf(stderr, "tqkill: preparing %s failed (exit %d)\n", what, outcome.exitCode);
        std::exit(2);
    }
}

// A file kind: `target` in the work folder must hold the old bytes or the
// bytes an undisturbed run writes (`expected`, learnt from a first run).
struct FileCheck {
    std::string target;
    std::shared_ptr<std::string> old = std::make_shared<std::string>();
    std::shared_ptr<std::string> fresh = std::make_shared<std::string>();

    State operator()(const fs::path& work, std::string& why) const {
        const std::string now = ReadAll(work / target);
        if (now == *old) return State::Old;
        if (now == *fresh) return State::New;
        why = target + " is " + std::to_string(now.size()) + " bytes, neither the old " + std::to_string(old->size()) +
              " nor the new " + std::to_string(fresh->size());
        return State::Broken;
    }
};

constexpr const char* kChip = "W25X20";  // 256 KiB: a HEX file of about 720 KB

Kind SavedRead(const std::string& extension) {
    FileCheck check{"out/chip." + extension};
    return {extension,
            [check](const fs::path& pristine, std::mt19937& random) {
                CopyProgramFiles(pristine / "program");
                fs::create_directories(pristine / "out");
                fs::create_directories(pristine / "state");
                WriteAll(pristine / "image.bin", RandomBytes(random, 256 << 10));
                MustSucceed({{kCli.string(), "--program-dir", (pristine / "program").string(), "--simulator",
                              "--sim-chip", kChip, "--sim-state", (pristine / "state").string(), "--sim-erase-ms",
                              "0", "--no-production-log", "-c", kChip, "auto", (pristine / "image.bin").string()},
                             {},
                             pristine},
                            "the chip");
                *check.old = RandomBytes(random, 300000);
                WriteAll(pristine / check.target, *check.old);
            },
            [](const fs::path& work) {
                return Command{{kCli.string(), "--program-dir", (work / "program").string(), "--simulator",
                                "--sim-chip", kChip, "--sim-state", (work / "state").string(), "--no-production-log",
                                "-c", kChip, "read", (work / "out/chip.").string() + "PLACEHOLDER"},
                               {},
                               work / "out"};
            },
            check};
}

Kind Convert() {
    FileCheck check{"out/image.srec"};
    return {"convert",
            [check](const fs::path& pristine, std::mt19937& random) {
                CopyProgramFiles(pristine / "program");
                fs::create_directories(pristine / "out");
                WriteAll(pristine / "image.bin", RandomBytes(random, 512 << 10));
                MustSucceed({{kCli.string(), "--program-dir", (pristine / "program").string(), "convert",
                              (pristine / "image.bin").string(), (pristine / "image.hex").string(), "--address",
                              "8000000"},
                             {},
                             pristine},
                            "the HEX file");
                *check.old = "S00600004844521B\r\nS9030000FC\r\n";
                WriteAll(pristine / check.target, *check.old);
            },
            [](const fs::path& work) {
                return Command{{kCli.string(), "--program-dir", (work / "program").string(), "convert",
                                (work / "image.hex").string(), (work / "out/image.srec").string()},
                               {},
                               work / "out"};
            },
            check};
}

Kind Merge() {
    FileCheck check{"out/merged.bin"};
    return {"merge",
            [check](const fs::path& pristine, std::mt19937& random) {
                CopyProgramFiles(pristine / "program");
                fs::create_directories(pristine / "out");
                WriteAll(pristine / "boot.bin", RandomBytes(random, 100000));
                WriteAll(pristine / "app.bin", RandomBytes(random, 700000));
                *check.old = RandomBytes(random, 400000);
                WriteAll(pristine / check.target, *check.old);
            },
            [](const fs::path& work) {
                return Command{{kCli.string(), "--program-dir", (work / "program").string(), "merge",
                                (work / "out/merged.bin").string(), (work / "boot.bin").string(),
                                (work / "app.bin").string() + "@20000", "--fill", "5A"},
                               {},
                               work / "out"};
            },
            check};
}

// This executable saves the settings itself (tqkill --save-settings FOLDER):
// only the window writes dev.ini.
Kind DevIni() {
    FileCheck check{"program/dev.ini"};
    return {"devini",
            [check](const fs::path& pristine, std::mt19937&) {
                CopyProgramFiles(pristine / "program");
                *check.old =
                    "[SystemOption]\r\nLanguage= 2\r\nFilePath=/old/\r\nFile=/old/image.bin\r\n[PrjInfo]\r\n"
                    "ChipName=24C02\r\nErase= 1\r\n[DebugOption]\r\ncomDebugDly=5000\r\n";
                WriteAll(pristine / check.target, *check.old);
            },
            [](const fs::path& work) {
                return Command{{(BinFolder() / "tqkill").string(), "--save-settings", (work / "program").string()},
                               {},
                               work / "program"};
            },
            check};
}

constexpr const char* kKeptChip = "KEEP25Q32";
constexpr const char* kAddedChip = "KILL25Q64";

std::vector<std::string> UserChipAdd(const fs::path& program, const char* name) {
    return {kCli.string(), "--program-dir", program.string(), "user-chips", "add", name, "--algorithm",
            "W25Q64FV",    "--maker",       "ACME",           "--id",       "AB4017"};
}

// The database opens whole (a journal left by the kill rolled back) and holds
// the kept user chip; `changed` tells whether the save took effect.
State DatabaseState(const fs::path& file, const std::function<bool(tq::ChipDatabase&)>& changed, std::string& why) {
    try {
        auto db = tq::ChipDatabase::Open(file);
        const tq::QueryResult check = db->QueryOpen("PRAGMA integrity_check");
        if (check.Count() != 1 || check.FieldText(size_t{0}) != "ok") {
            why = file.string() + " fails the integrity check";
            return State::Broken;
        }
        if (db->UserRowQuery(kKeptChip).size() != 1) {
            why = file.string() + " lost the user chip " + kKeptChip;
            return State::Broken;
        }
        return changed(*db) ? State::New : State::Old;
    } catch (const std::exception& failure) {
        why = file.string() + ": " + failure.what();
        return State::Broken;
    }
}

Kind UserChips() {
    return {"userchips",
            [](const fs::path& pristine, std::mt19937&) {
                CopyProgramFiles(pristine / "program");
                MustSucceed({UserChipAdd(pristine / "program", kKeptChip), {}, pristine}, "a user chip");
            },
            [](const fs::path& work) { return Command{UserChipAdd(work / "program", kAddedChip), {}, work / "program"}; },
            [](const fs::path& work, std::string& why) {
                return DatabaseState(
                    work / "program/login.dat", [](tq::ChipDatabase& db) { return db.UserRowQuery(kAddedChip).size() == 1; },
                    why);
            }};
}

// An installed layout whose shipped database is newer than the user's copy:
// any start copies it over, keeping the user chips.
Kind DbUpgrade() {
    return {"dbupgrade",
            [](const fs::path& pristine, std::mt19937&) {
                // Beside the work folders, not in them: the run reads it only.
                const fs::path install = pristine.parent_path() / "install", shipped = install / "share/tqprog";
                CopyProgramFiles(shipped);
                fs::create_directories(install / "bin");
                fs::copy_file(kCli, install / "bin/tqprog-cli", fs::copy_options::overwrite_existing);
                tq::ChipDatabase::Open(shipped / "login.dat")->QueryExec("UPDATE [DevInfo] SET Version = 'V9.9.9'");
                const fs::path data = pristine / "data/tqprog";
                CopyProgramFiles(data);
                MustSucceed({UserChipAdd(data, kKeptChip), {}, pristine}, "a user chip");
                tq::ChipDatabase::Open(data / "login.dat")->QueryExec("UPDATE [DevInfo] SET Version = 'V1.0.0'");
                for (const char* name : {"CN.ini", "TC.ini", "EN.ini"}) fs::remove(data / name);
            },
            [](const fs::path& work) {
                return Command{{(work.parent_path() / "install/bin/tqprog-cli").string(), "chips", "W25Q64"},
                               {{"HOME", (work / "home").string()},
                                {"XDG_DATA_HOME", (work / "data").string()},
                                {"XDG_CONFIG_HOME", (work / "config").string()},
                                {"XDG_CACHE_HOME", (work / "cache").string()},
                                {"TQPROG_HOME", ""}},
                               work / "data/tqprog"};
            },
            [](const fs::path& work, std::string& why) {
                return DatabaseState(
                    work / "data/tqprog/login.dat", [](tq::ChipDatabase& db) { return db.VersionQuery() == "V9.9.9"; },
                    why);
            }};
}

std::vector<Kind> AllKinds() {
    return {SavedRead("bin"), SavedRead("hex"), SavedRead("srec"), Convert(), Merge(), DevIni(), UserChips(), DbUpgrade()};
}

// The read's output name carries the kind's extension.
Command ForKind(const Kind& kind, const fs::path& work) {
    Command command = kind.command(work);
    for (std::string& arg : command.args) {
        const size_t at = arg.find("PLACEHOLDER");
        if (at != std::string::npos) arg.replace(at, 11, kind.name);
    }
    return command;
}

void Restore(const fs::path& pristine, const fs::path& work) {
    fs::remove_all(work);
    fs::copy(pristine, work, fs::copy_options::recursive);
}

struct Tally {
    int kills = 0, old = 0, fresh = 0, completed = 0, broken = 0;
};

Tally Exercise(const Kind& kind, const fs::path& root, int kills, std::mt19937& random) {
    const fs::path pristine = root / (kind.name + "-pristine"), work = root / (kind.name + "-work");
    kind.prepare(pristine, random);
    Tally tally;
    std::string why;
    // An undisturbed run: its output is the new state, its calls the kill points.
    Restore(pristine, work);
    if (kind.state(work, why) != State::Old) {
        std::fprintf(stderr, "tqkill: %s: the pristine state is not the old one: %s\n", kind.name.c_str(), why.c_str());
        return {0, 0, 0, 0, 1};
    }
    const fs::path countFile = root / "points";
    const Outcome reference = Run(ForKind(kind, work), 0, countFile);
    const long points = std::atol(ReadAll(countFile).c_str());
    if (auto* file = kind.state.target<FileCheck>()) *file->fresh = ReadAll(work / file->target);
    if (reference.exitCode != 0 || kind.state(work, why) != State::New || points < 1) {
        std::fprintf(stderr, "tqkill: %s: the undisturbed run failed (exit %d, %ld points) %s\n", kind.name.c_str(),
                     reference.exitCode, points, why.c_str());
        return {0, 0, 0, 0, 1};
    }
    // Every point once while there are kills for them, then random ones.
    std::vector<long> order;
    for (long point = 1; point <= points; ++point) order.push_back(point);
    std::shuffle(order.begin(), order.end(), random);
    for (int i = 0; i < kills; ++i) {
        const long at = i < static_cast<int>(order.size()) ? order[i] : std::uniform_int_distribution<long>(1, points)(random);
        Restore(pristine, work);
        const Outcome outcome = Run(ForKind(kind, work), at);
        outcome.killed ? ++tally.kills : ++tally.completed;
        const State state = kind.state(work, why);
        if (state == State::Broken) {
            ++tally.broken;
            std::fprintf(stderr, "tqkill: %s: killed at call %ld of %ld: %s\n", kind.name.c_str(), at, points, why.c_str());
            continue;
        }
        state == State::Old ? ++tally.old : ++tally.fresh;
        if (state == State::New) continue;
        // What the kill left behind does not stand in the way of the next save.
        const Outcome again = Run(ForKind(kind, work), 0);
        if (again.exitCode != 0 || kind.state(work, why) != State::New) {
            ++tally.broken;
            std::fprintf(stderr, "tqkill: %s: after a kill at call %ld the next run failed (exit %d) %s\n",
                         kind.name.c_str(), at, again.exitCode, why.c_str());
        }
    }
    std::printf("kill: %-9s %4d kills at %3ld points: %4d old, %4d new, %d broken\n", kind.name.c_str(), tally.kills,
                points, tally.old, tally.fresh, tally.broken);
    std::fflush(stdout);
    return tally;
}

// The window's settings save, as it runs when the window closes.
int SaveSettings(const fs::path& folder) {
    tq::testing::FakeVolumes volumes;
    tq::VirtualClock clock;
    tq::Session session(volumes, clock, folder);
    tq::LoadSettings(session);
    session.Buffer.RamFile.FileName = "/new/folder/image.hex";
    session.Chip.PrjInfo.ChipName = "W25Q128FV";
    session.Window.LogPanelShown = true;
    return tq::SaveSettings(session) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> wanted;
    int kills = 200;
    unsigned seed = std::random_device()();
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--save-settings" && i + 1 < argc) return SaveSettings(argv[++i]);
        if (arg == "--kind" && i + 1 < argc) wanted.push_back(argv[++i]);
        else if (arg == "--kills" && i + 1 < argc) kills = std::atoi(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::stoul(argv[++i]));
        else if (arg == "--keep") keep = true;
        else {
            std::fprintf(stderr, "usage: tqkill [--kind NAME]... [--kills N] [--seed S] [--keep]\n");
            return 2;
        }
    }
    std::printf("kill: seed %u\n", seed);
    std::mt19937 random(seed);
    char pattern[] = "/tmp/tqkill-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    int broken = 0, kinds = 0;
    for (const Kind& kind : AllKinds()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), kind.name) == wanted.end()) continue;
        ++kinds;
        const Tally tally = Exercise(kind, root, kills, random);
        // A kill that never lands would make every check pass.
        if (tally.broken > 0 || tally.kills == 0) ++broken;
    }
    if (keep) std::printf("kill: files kept in %s\n", root.c_str());
    else fs::remove_all(root);
    if (kinds == 0) {
        std::fprintf(stderr, "tqkill: no such kind\n");
        return 2;
    }
    return broken == 0 ? 0 : 1;
}
