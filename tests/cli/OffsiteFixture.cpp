#include "OffsiteFixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;
namespace fs = std::filesystem;

Process::Process(const std::vector<std::string>& args, const fs::path& log)
{
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = ::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
}

Process::~Process() { Kill(); }

void Process::Kill()
{
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    Wait();
}

int Process::Wait()
{
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Process::Running()
{
    int status = 0;
    return pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0;
}

namespace {

int FreePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("no free port");
    ::close(s);
    return ntohs(addr.sin_port);
}

bool Answers(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(s);
    return ok;
}

} // namespace

RestServer::RestServer(const fs::path& dir) : port_(FreePort())
{
    fs::create_directories(dir);
    process_ = std::make_unique<Process>(std::vector<std::string>{"rclone", "serve", "restic", "--addr",
                                                                  "127.0.0.1:" + std::to_string(port_), dir.string()},
                                         dir.parent_path() / (dir.filename().string() + ".log"));
    for (int i = 0; i < 100 && !Answers(port_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!Answers(port_)) throw std::runtime_error("rclone does not answer");
}

void OffsiteTest::SetUp()
{
    ::setenv("RESTIC_CACHE_DIR", (env.root / "restic-cache").c_str(), 1);
    for (const char* name : {"a.tif", "b.tif"}) AddDocument(name);
    Unattended();
    ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
    WriteFile(pw, "offsite secret\n");
}

CliResult OffsiteTest::Offsite(const std::string& command, const std::vector<std::string>& more)
{
    std::vector<std::string> args{"offsite", command, "--repo", repo, "--repo-password-file", pw};
    args.insert(args.end(), more.begin(), more.end());
    return Rezud(args);
}

nlohmann::json OffsiteTest::OffsiteJson(const std::string& command, const std::vector<std::string>& more)
{
    std::vector<std::string> args = more;
    args.push_back("--json");
    const CliResult r = Offsite(command, args);
    nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    if (!j.is_object()) ADD_FAILURE() << command << ": " << r.code << " " << r.out << r.err;
    return j.is_object() ? j : nlohmann::json::object();
}

int OffsiteTest::Restic(const std::string& args)
{
    const std::string command = "RESTIC_PASSWORD_FILE='" + pw + "' restic -r '" + repo + "' " + args + " >>'" +
                                (env.root / "restic.log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void OffsiteTest::ChangeAndBackUp(const std::string& name)
{
    LibraryBuilder::Document doc;
    doc.filename = name;
    doc.internal = "1";
    doc.updated = "2099-01-01 10:00:00"; // changed since the last run
    doc.fileSize = 100;
    builder.AddDocument(folder, doc);
    ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
}
