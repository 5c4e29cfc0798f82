// The offsite commands where something goes wrong: refusals, a backup and
// a push at the same time, retention among other snapshots, a damaged
// repository, a killed push and a server that goes away.
#include "OffsiteFixture.h"

#include "core/backup/BackupLock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 1000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// The processes whose parent is `parent`.
std::vector<fs::path> ChildrenOf(pid_t parent)
{
    std::vector<fs::path> children;
    for (const auto& e : fs::directory_iterator("/proc")) {
        std::ifstream stat(e.path() / "stat");
        std::string pid, comm, state;
        pid_t ppid = 0;
        if (stat >> pid >> comm >> state >> ppid && ppid == parent) children.push_back(e.path());
    }
    return children;
}

bool HasFiles(const fs::path& dir)
{
    std::error_code ec;
    return fs::is_directory(dir, ec) && !fs::is_empty(dir, ec);
}

// A lock of restic's in a repository on the disk (not one half written).
bool HasLock(const fs::path& locks)
{
    std::error_code ec;
    for (fs::directory_iterator it(locks, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().find("-tmp-") == std::string::npos) return true;
    return false;
}

} // namespace

TEST_F(OffsiteTest, RefusalsSayWhyAndPushNothing)
{
    ASSERT_EQ(Offsite("init").code, 0);
    EXPECT_EQ(Rezud({"offsite", "list", "--restic", "/nowhere/restic"}).code, 2);
    const CliResult noRepo = Rezud({"offsite", "list"});
    EXPECT_EQ(noRepo.code, 2);
    EXPECT_TRUE(Contains(noRepo.err, "No offsite repository is set")) << noRepo.err;
    environment["RESTIC_REPOSITORY"] = repo;
    IniWrite(env.Ini(), "Offsite", "PasswordFile", pw);
    EXPECT_EQ(Rezud({"offsite", "list"}).code, 0) << "the environment and the settings file";

    const std::string wrong = (env.root / "wrong-pw").string();
    WriteFile(wrong, "not it\n");
    const CliResult badPassword = Rezud({"offsite", "push", "--repo-password-file", wrong});
    EXPECT_EQ(badPassword.code, 2);
    EXPECT_TRUE(Contains(badPassword.out, "Wrong password")) << badPassword.out;
    EXPECT_FALSE(Contains(badPassword.out + badPassword.err, "not it"));
    const CliResult unreachable = Rezud({"offsite", "push", "--repo", (env.root / "none").string()});
    EXPECT_EQ(unreachable.code, 2);
    EXPECT_TRUE(Contains(unreachable.out, "Unable to open config file")) << unreachable.out;

    {
        const auto run = BackupLock::Take(backup);
        const CliResult working = Offsite("push");
        EXPECT_EQ(working.code, 2);
        EXPECT_TRUE(Contains(working.out, "A backup run is working")) << working.out;
        run->Begin(); // and then it is killed
    }
    const CliResult unfinished = Offsite("push");
    EXPECT_EQ(unfinished.code, 2);
    EXPECT_TRUE(Contains(unfinished.out, "did not end")) << unfinished.out;
    ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);

    fs::remove(backup + "/00000001/a.tif");
    const CliResult findings = Offsite("push");
    EXPECT_EQ(findings.code, 1);
    EXPECT_TRUE(Contains(findings.out, "1 verify findings; nothing was pushed")) << findings.out;
    EXPECT_EQ(OffsiteJson("list")["snapshots"].size(), 0u);
    const nlohmann::json forced = OffsiteJson("push", {"--force"});
    EXPECT_EQ(forced["exit"], 0) << forced.dump();
    EXPECT_EQ(forced["push"]["verified"], false);
}

// A file restic cannot read: restic makes the snapshot without it (its
// exit 3); the push names the file, keeps the books and exits 1.
TEST_F(OffsiteTest, AFileResticCannotReadIsNamedAndThePushExitsOne)
{
    ASSERT_EQ(Offsite("init").code, 0);
    const std::string unreadable = backup + "/00000001/a.tif";
    fs::permissions(unreadable, fs::perms::none);
    // root reads any file: its restic runs without that right.
    const fs::path restic = env.root / "restic-unprivileged";
    const std::string drop = ::geteuid() == 0 ? "setpriv --bounding-set -dac_override,-dac_read_search " : "";
    WriteFile(restic, "#!/bin/sh\nexec " + drop + "restic \"$@\"\n");
    fs::permissions(restic, fs::perms::owner_all);
    const nlohmann::json pushed = OffsiteJson("push", {"--restic", restic.string()});
    fs::permissions(unreadable, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(pushed["exit"], 1) << pushed.dump();
    EXPECT_EQ(pushed["unread"], nlohmann::json::array({unreadable})) << pushed.dump();
    const std::string snapshot = pushed["push"].value("snapshot", "");
    ASSERT_FALSE(snapshot.empty()) << pushed.dump();
    EXPECT_EQ(OffsiteJson("list")["snapshots"].back()["id"], snapshot);
}

// A push holds the backup's lock for restic's whole run: a backup started
// meanwhile is refused at once, and the push ends well.
TEST_F(OffsiteTest, ABackupDuringAPushIsRefused)
{
    ASSERT_EQ(Offsite("init").code, 0);
    const fs::path slow = env.root / "slow-restic", started = env.root / "started";
    WriteFile(slow, "#!/bin/sh\ntouch '" + started.string() + "'\nsleep 2\nexec restic \"$@\"\n");
    fs::permissions(slow, fs::perms::owner_all);
    auto push = std::async(std::launch::async, [&] { return Offsite("push", {"--restic", slow.string()}); });
    WaitFor([&] { return fs::exists(started); });
    const CliResult during = Rezud({"backup", "--yes", "--create-backup-path"});
    EXPECT_EQ(during.code, 2);
    EXPECT_TRUE(Contains(during.err, "Another backup is running")) << during.err;
    EXPECT_EQ(push.get().code, 0);
}

// forget works over this library's snapshots alone, and keeps the newest
// snapshot of a backup that verified whole.
TEST_F(OffsiteTest, RetentionTouchesOnlyThisLibrary)
{
    ASSERT_EQ(Offsite("init").code, 0);
    const std::string oldest = OffsiteJson("push")["push"]["snapshot"];
    ChangeAndBackUp("c.tif");
    const std::string verified = OffsiteJson("push")["push"]["snapshot"];
    ASSERT_EQ(Restic("backup --tag rezud --tag library:/another/library '" + lib + "'"), 0);
    ASSERT_EQ(Restic("backup '" + lib + "'"), 0); // another tool's
    ChangeAndBackUp("d.tif");
    fs::remove(backup + "/00000001/d.tif");
    const std::string newest = OffsiteJson("push", {"--force"})["push"]["snapshot"];

    IniWrite(env.Ini(), "Offsite", "Keep", "--keep-last 1");
    const nlohmann::json forget = OffsiteJson("forget");
    EXPECT_EQ(forget["forgotten"], nlohmann::json::array({oldest})) << forget.dump();
    std::vector<std::string> left;
    const nlohmann::json list = OffsiteJson("list");
    for (const auto& s : list["snapshots"]) left.push_back(s["id"]);
    EXPECT_EQ(left, (std::vector<std::string>{verified, newest})) << list.dump();
    const fs::path snapshots = fs::path(repo) / "snapshots";
    EXPECT_EQ(std::distance(fs::directory_iterator(snapshots), fs::directory_iterator()), 4);

    IniWrite(env.Ini(), "Offsite", "Keep", "--keep-daily seven");
    EXPECT_EQ(Offsite("forget").code, 2);
}

TEST_F(OffsiteTest, ADamagedPackIsFoundByCheckWithReadData)
{
    ASSERT_EQ(Offsite("init").code, 0);
    ASSERT_EQ(Offsite("push").code, 0);
    fs::path pack;
    for (const auto& e : fs::recursive_directory_iterator(fs::path(repo) / "data"))
        if (e.is_regular_file()) pack = e.path();
    ASSERT_FALSE(pack.empty());
    fs::permissions(pack, fs::perms::owner_read | fs::perms::owner_write);
    {
        std::fstream f(pack, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(fs::file_size(pack) / 2));
        f.write("damage", 6);
    }
    EXPECT_EQ(Offsite("check", {"--read-data"}).code, 1);
}

// rezud killed in the middle of a push: restic dies with it, its lock stays
// behind, and the next push and forget go through all the same; a lock of
// a live restic is never taken away.
TEST_F(OffsiteTest, APushKilledLeavesNothingTheNextOneCannotMend)
{
    ASSERT_EQ(Offsite("init").code, 0);
    ASSERT_EQ(Offsite("push").code, 0); // so that forget has one to remove
    const fs::path program = env.programDir / "rezud";
    fs::copy_file(REZUD_BINARY, program);
    const fs::path locks = fs::path(repo) / "locks";
    {
        Process push({program.string(), "offsite", "push", "--repo", repo, "--repo-password-file", pw},
                     env.root / "push.log");
        WaitFor([&] { return HasLock(locks); });
        const std::vector<fs::path> restic = ChildrenOf(push.Pid());
        push.Kill();
        // Until its restic is gone, even as a zombie, its lock is a live one.
        WaitFor([&] {
            return std::none_of(restic.begin(), restic.end(), [](const fs::path& p) { return fs::exists(p); });
        });
    }
    ASSERT_TRUE(HasLock(locks)) << "the kill came after restic had locked the repository";
    EXPECT_EQ(Offsite("push").code, 0);
    const nlohmann::json forget = OffsiteJson("forget");
    EXPECT_EQ(forget["forgotten"].size(), 1u) << "it needs the repository to itself: the stale lock went";
    EXPECT_EQ(Offsite("check").code, 0);

    const fs::path fifo = env.root / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::setenv("RESTIC_PASSWORD_FILE", pw.c_str(), 1);
    Process live({"sh", "-c", "exec restic -r '" + repo + "' backup --stdin <'" + fifo.string() + "'"},
                 env.root / "live.log");
    std::ofstream writer(fifo);
    ::unsetenv("RESTIC_PASSWORD_FILE");
    WaitFor([&] { return HasLock(locks); });
    const CliResult locked = Offsite("forget");
    EXPECT_EQ(locked.code, 2);
    EXPECT_TRUE(Contains(locked.out, "already locked")) << locked.out;
    EXPECT_TRUE(HasLock(locks));
}

// The REST server killed while a push runs: the push fails, the repository
// still passes restic's check, and the next push completes.
TEST_F(OffsiteTest, AServerKilledMidPushFailsItAndTheNextPushCompletes)
{
    const fs::path served = env.root / "served";
    auto server = std::make_unique<RestServer>(served);
    repo = server->Url();
    ASSERT_EQ(Offsite("init").code, 0);
    auto push = std::async(std::launch::async, [&] { return Offsite("push", {"--give-up", "2"}); });
    WaitFor([&] { return HasFiles(served / "locks"); });
    server->Kill();
    const CliResult failed = push.get();
    EXPECT_EQ(failed.code, 2);
    EXPECT_TRUE(Contains(failed.out, "did not answer")) << failed.out;

    server = std::make_unique<RestServer>(served);
    repo = server->Url();
    EXPECT_EQ(Offsite("check").code, 0);
    EXPECT_EQ(Offsite("push").code, 0);
    EXPECT_EQ(Offsite("check").code, 0);
}
