// rezud restore --from-offsite: a library back from a snapshot in a restic
// repository, a local one or a REST server on 127.0.0.1, and a restore
// killed at its fetch, its moves or its end goes on when run again.
#include "RezudFixture.h"
#include "core/backup/OffsiteRestore.h"

#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Starts `args` with these settings added to the environment, output to /dev/null.
pid_t Spawn(std::vector<std::string> args, std::vector<std::string> settings = {})
{
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (char** e = environ; *e; ++e)
        if (!std::string(*e).starts_with("REZUD_")) envp.push_back(*e);
    for (std::string& s : settings) envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
    ::close(fd);
    return ntohs(addr.sin_port);
}

bool Accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// A restic REST repository served by rclone on 127.0.0.1 while it lives.
class RestServer {
public:
    explicit RestServer(const fs::path& root) : port_(FreePort())
    {
        fs::create_directories(root);
        pid_ = Spawn({"rclone", "serve", "restic", "--config", "/dev/null", "--addr",
                      "127.0.0.1:" + std::to_string(port_), root.string()});
        for (int i = 0; i < 200 && !Accepts(port_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~RestServer()
    {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    RestServer(const RestServer&) = delete;
    RestServer& operator=(const RestServer&) = delete;
    std::string Url() const { return "rest:http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    int port_;
    pid_t pid_ = -1;
};

class RezudOffsiteRestoreTest : public RezudBackupTestBase {
protected:
    std::string dir = (env.root / "restored").string();
    std::string repo = (env.root / "repo").string();
    std::string passwordFile = (env.root / "repo-password").string();

    void SetUp() override
    {
        WriteFile(passwordFile, "tessellate\n");
        env.Configure(lib);
        Unattended();
    }

    // restic's output; the test fails when restic does.
    std::string Restic(const std::string& args)
    {
        const std::string command =
            "RESTIC_PASSWORD_FILE='" + passwordFile + "' restic -q -r '" + repo + "' " + args + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << command << "\n" << out;
        return out;
    }
    // The backup, backed up and taken into the repository: the snapshot's id.
    std::string BackedUpAndPushed()
    {
        const CliResult r = Rezud({"backup", "--to", backup, "--yes"});
        EXPECT_EQ(r.code, 0) << r.err;
        const auto summary =
            nlohmann::json::parse(Restic("backup --json --tag rezud --exclude Libbackup.lock " + backup));
        return summary["snapshot_id"];
    }
    std::vector<std::string> FromOffsite(const std::string& snapshot, const std::string& into)
    {
        return {"restore", "--from-offsite", snapshot, into, "--repo", repo, "--repo-password-file", passwordFile};
    }
    // The library restored as the backup holds it, and clean.
    void AsBackedUp(const std::string& into)
    {
        for (const char* file : {"00000001/DOC1.TIF", "00000001/DOC2.TIF", "00000000/LIB.MDE", "00000000/CTRL.MDE"})
            EXPECT_TRUE(ReadFile(into + "/" + file) == ReadFile(backup + "/" + file)) << file;
        EXPECT_FALSE(fs::exists(into + "/" + kOffsiteWorkName));
        const CliResult check = Rezud({"--library", into, "check"});
        EXPECT_EQ(check.code, 0) << check.out << check.err;
    }
};

} // namespace

TEST_F(RezudOffsiteRestoreTest, AnOverwrittenDocumentsOldBytesComeBackFromTheOlderSnapshotOfARestRepository)
{
    const RestServer server(env.root / "rest");
    repo = server.Url();
    Restic("init");
    for (int i = 0; i < 3; ++i) AddDocument("", 2000 + i);
    const std::string before = ReadFile(lib + "/00000001/DOC1.TIF");
    const std::string older = BackedUpAndPushed();
    fs::remove_all(backup);
    WriteFile(lib + "/00000001/DOC1.TIF", "bad content from a client");
    const std::string newer = BackedUpAndPushed();
    ASSERT_NE(older, newer);

    const CliResult r = Rezud(FromOffsite(older.substr(0, 8), dir));
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    EXPECT_NE(r.out.find("Library restored from snapshot " + older.substr(0, 8) + " into " + dir), std::string::npos)
        << r.out;
    EXPECT_EQ(ReadFile(dir + "/00000001/DOC1.TIF"), before);
    EXPECT_EQ(Rezud({"--library", dir, "check"}).code, 0);

    const std::string newest = (env.root / "newest").string();
    const CliResult latest = Rezud(FromOffsite("latest", newest));
    ASSERT_EQ(latest.code, 0) << latest.err << latest.out;
    AsBackedUp(newest);
    EXPECT_EQ(ReadFile(newest + "/00000001/DOC1.TIF"), "bad content from a client");
}

// Killed when the fetch has ended but is not yet marked, at its second
// move, and as it ends; the same command run again completes it.
TEST_F(RezudOffsiteRestoreTest, ARestoreKilledAnywhereCompletesWhenRunAgain)
{
    Restic("init");
    for (int i = 0; i < 40; ++i) AddDocument("", 1000 + 17 * i);
    const std::string id = BackedUpAndPushed();
    const std::string ops = (env.root / "ops").string();
    auto child = [&](const std::string& aim, long at) {
        std::vector<std::string> args = FromOffsite(id, dir);
        args.insert(args.begin(), KILLABLE_REZUD);
        const pid_t pid =
            Spawn(args, {"REZUD_KILL_PATH=" + aim, "REZUD_KILL_AT=" + std::to_string(at), "REZUD_OPS_FILE=" + ops});
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    };
    // The last operation on the marker is its removal.
    ASSERT_EQ(child("/restored/.rezud-restore", 0), 0);
    const long last = std::stol(ReadFile(ops));
    struct Case {
        std::string aim;
        long at;
        bool skips;
    };
    for (const Case& c : {Case{"/restored/.rezud-offsite", 1, false}, Case{"/restored/00000001/", 2, true},
                          Case{"/restored/.rezud-restore", last, true}}) {
        SCOPED_TRACE(c.aim);
        fs::remove_all(dir);
        const int status = child(c.aim, c.at);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        ASSERT_TRUE(fs::exists(dir + "/.rezud-restore"));
        const CliResult r = Rezud([&] {
            auto args = FromOffsite(id, dir);
            args.push_back("--json");
            return args;
        }());
        ASSERT_EQ(r.code, 0) << r.err << r.out;
        const auto report = nlohmann::json::parse(r.out)["restore"];
        EXPECT_EQ(report["restored"].get<int>() + report["skipped"].get<int>(), 42);
        EXPECT_EQ(report["skipped"].get<int>() > 0, c.skips) << report;
        AsBackedUp(dir);
    }
}
