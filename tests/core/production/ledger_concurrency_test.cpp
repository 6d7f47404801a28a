// Several stations taking numbers from one ledger at once, one of them
// killed while it holds a number: no number may be given twice, and the
// killed station's number must show as void. The stations are separate
// processes (tests/helpers/ledger_allocator.cpp).
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/production/production_ledger.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

constexpr int kStations = 4;
constexpr int kNumbersEach = 250;
constexpr int kKilledAfter = 100;  // the killed station holds its 101st number

// One station process and its output.
struct Station {
    pid_t pid = -1;
    FILE* out = nullptr;

    static Station Start(const std::vector<std::string>& args) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return {};
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            const std::string program = std::string(TQ_BIN_DIR) + "/tqledger-allocator";
            std::vector<char*> argv = {const_cast<char*>(program.c_str())};
            for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(pipeEnds[1]);
        return {pid, fdopen(pipeEnds[0], "r")};
    }
    // The next line it printed; empty at its end.
    std::string Line() {
        char line[64];
        return out && std::fgets(line, sizeof line, out) ? std::string(line) : std::string();
    }
    int Wait() {
        if (out) std::fclose(out);
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }
};

void FourStationsOneKilled(const std::string& location) {
    // The stations start together: the first to come creates the schema, the others wait for it.
    std::vector<Station> stations;
    for (int i = 0; i < kStations; ++i) {
        std::vector<std::string> args = {location, "line", std::to_string(kNumbersEach)};
        if (i == 0) args.push_back(std::to_string(kKilledAfter));
        stations.push_back(Station::Start(args));
        ASSERT_GT(stations.back().pid, 0);
    }
    std::multiset<uint64_t> finished;
    std::string held;
    for (std::string line = stations[0].Line(); !line.empty(); line = stations[0].Line()) {
        if (line.rfind("holding ", 0) == 0) {
            held = line.substr(8, line.size() - 9);
            break;
        }
        finished.insert(std::stoull(line));
    }
    ASSERT_FALSE(held.empty()) << "the station to kill never took its number";
    kill(stations[0].pid, SIGKILL);
    stations[0].Wait();
    for (int i = 1; i < kStations; ++i) {
        for (std::string line = stations[i].Line(); !line.empty(); line = stations[i].Line())
            finished.insert(std::stoull(line));
        const int status = stations[i].Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "station " << i;
    }
    ASSERT_EQ(finished.size(), size_t{(kStations - 1) * kNumbersEach + kKilledAfter});

    std::map<uint64_t, int> given;  // number -> rows naming it
    std::set<uint64_t> passed, void_;
    for (const RunRecord& run : OpenProductionLedger(location)->Query({"line", "", "", 0})) {
        ASSERT_TRUE(run.serial);
        ++given[*run.serial];
        (run.SerialVoid() ? void_ : passed).insert(*run.serial);
    }
    for (const auto& [number, rows] : given) EXPECT_EQ(rows, 1) << "number " << number << " given more than once";
    EXPECT_EQ(passed, std::set<uint64_t>(finished.begin(), finished.end()));
    EXPECT_EQ(void_, std::set<uint64_t>{std::stoull(held)});
    // Every number from the first to the last is in the log: no gap unaccounted for.
    ASSERT_FALSE(given.empty());
    EXPECT_EQ(given.begin()->first, 1u);
    EXPECT_EQ(given.rbegin()->first, given.size());
}

TEST(LedgerConcurrency, SqliteFourStationsOneKilled) {
    testing::ScratchFolder folder;
    FourStationsOneKilled(folder.File("ledger.sqlite"));
}

// A throwaway PostgreSQL server of the system's package in a temporary
// folder, listening only on a Unix socket there; stopped and removed at the
// end, also when the test fails. PostgreSQL refuses to run as root: as root
// the server runs as the postgres user.
class ThrowawayPostgres {
public:
    ThrowawayPostgres() {
        const std::filesystem::path bin = "/usr/lib/postgresql/15/bin";
        if (!std::filesystem::exists(bin / "initdb")) {
            skipReason_ = "no PostgreSQL server installed (" + (bin / "initdb").string() + ")";
            return;
        }
        char pattern[] = "/tmp/tqpg-XXXXXX";
        if (!mkdtemp(pattern)) {
            skipReason_ = "no temporary folder";
            return;
        }
        folder_ = pattern;
        if (geteuid() == 0) {
            const passwd* user = getpwnam("postgres");
            if (!user || chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0) {
                skipReason_ = "running as root without a postgres user to run the server";
                return;
            }
            asUser_ = "runuser -u postgres -- ";
        }
        const std::string data = (folder_ / "data").string();
        const std::string initdb = asUser_ + (bin / "initdb").string() + " -D " + data +
                                   " -A trust -U tqtest --no-sync --no-locale -E UTF8 >" + (folder_ / "initdb.log").string() + " 2>&1";
        if (std::system(initdb.c_str()) != 0) {
            skipReason_ = "initdb failed: " + Tail(folder_ / "initdb.log");
            return;
        }
        pgCtl_ = asUser_ + (bin / "pg_ctl").string() + " -D " + data;
        const std::string start = pgCtl_ + " -l " + (folder_ / "server.log").string() + " -w -t 30 -o \"-k " +
                                  folder_.string() + " -c listen_addresses='' -F\" start >/dev/null 2>&1";
        if (std::system(start.c_str()) != 0) {
            skipReason_ = "the server did not start: " + Tail(folder_ / "server.log");
            return;
        }
        started_ = true;
        location_ = "host=" + folder_.string() + " dbname=postgres user=tqtest";
    }
    ~ThrowawayPostgres() {
        if (started_) std::system((pgCtl_ + " -m immediate -w stop >/dev/null 2>&1").c_str());
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& skipReason() const { return skipReason_; }
    const std::string& location() const { return location_; }

private:
    static std::string Tail(const std::filesystem::path& log) {
        std::stringstream text;
        text << std::ifstream(log).rdbuf();
        const std::string all = text.str();
        return all.size() > 300 ? all.substr(all.size() - 300) : all;
    }
    std::filesystem::path folder_;
    std::string asUser_, pgCtl_, location_, skipReason_;
    bool started_ = false;
};

TEST(LedgerConcurrency, PostgresFourStationsOneKilled) {
    ThrowawayPostgres server;
    if (!server.skipReason().empty()) GTEST_SKIP() << server.skipReason();
    FourStationsOneKilled(server.location());
}

}  // namespace
}  // namespace tq
