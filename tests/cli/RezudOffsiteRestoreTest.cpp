// rezud restore --from-offsite: a library back from a snapshot of a REST
// repository or one on the disk, and a restore killed at its fetch, its
// moves or its end goes on when run again.
#include "OffsiteFixture.h"
#include "core/backup/OffsiteRestore.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

class RezudOffsiteRestoreTest : public OffsiteTest {
protected:
    std::string dir = (env.root / "restored").string();

    // The configured backup, pushed: the snapshot's id.
    std::string Pushed()
    {
        const nlohmann::json push = OffsiteJson("push");
        EXPECT_TRUE(push.contains("push")) << push.dump();
        return push.value("push", nlohmann::json::object()).value("snapshot", "");
    }
    std::vector<std::string> FromOffsite(const std::string& snapshot, const std::string& into)
    {
        return {"restore", "--from-offsite", snapshot, into, "--repo", repo, "--repo-password-file", pw};
    }
    // The library restored as the backup holds it, and clean.
    void AsBackedUp(const std::string& into)
    {
        for (const char* file : {"00000001/a.tif", "00000001/b.tif", "00000000/LIB.MDE", "00000000/CTRL.MDE"})
            EXPECT_TRUE(ReadFile(into + "/" + file) == ReadFile(backup + "/" + file)) << file;
        EXPECT_FALSE(fs::exists(into + "/" + kOffsiteWorkName));
        const CliResult check = Rezud({"--library", into, "check"});
        EXPECT_EQ(check.code, 0) << check.out << check.err;
    }
};

} // namespace

TEST_F(RezudOffsiteRestoreTest, AnOverwrittenDocumentsOldBytesComeBackFromTheOlderSnapshotOfARestRepository)
{
    const RestServer server(env.root / "served");
    repo = server.Url();
    ASSERT_EQ(Offsite("init").code, 0);
    const std::string before = ReadFile(lib + "/00000001/a.tif");
    const std::string older = Pushed();
    fs::remove_all(backup);
    WriteFile(lib + "/00000001/a.tif", "bad content from a client");
    ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
    const std::string newer = Pushed();
    ASSERT_NE(older, newer);

    const CliResult r = Rezud(FromOffsite(older, dir));
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    EXPECT_NE(r.out.find("Library restored from snapshot " + older + " into " + dir), std::string::npos) << r.out;
    EXPECT_EQ(ReadFile(dir + "/00000001/a.tif"), before);
    EXPECT_EQ(Rezud({"--library", dir, "check"}).code, 0);

    const std::string newest = (env.root / "newest").string();
    const CliResult latest = Rezud(FromOffsite("latest", newest));
    ASSERT_EQ(latest.code, 0) << latest.err << latest.out;
    AsBackedUp(newest);
    EXPECT_EQ(ReadFile(newest + "/00000001/a.tif"), "bad content from a client");
}

// Killed when the fetch has ended but is not yet marked, at the move of
// the documents' directory, at the databases' move after it, and as it
// ends; the same command run again completes it.
TEST_F(RezudOffsiteRestoreTest, ARestoreKilledAnywhereCompletesWhenRunAgain)
{
    for (int i = 0; i < 38; ++i) {
        LibraryBuilder::Document doc;
        doc.filename = "k" + std::to_string(i) + ".tif";
        doc.internal = "1";
        doc.updated = "2099-01-01 10:00:00"; // changed since the first backup
        doc.fileSize = 1000 + 17 * i;
        builder.AddDocument(folder, doc);
    }
    ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
    ASSERT_EQ(Offsite("init").code, 0);
    const std::string id = Pushed();
    const std::string ops = (env.root / "ops").string();
    auto killable = [&](const std::string& aim, long at) {
        std::vector<std::string> args = FromOffsite(id, dir);
        args.insert(args.begin(), KILLABLE_REZUD);
        ::setenv("REZUD_KILL_PATH", aim.c_str(), 1);
        ::setenv("REZUD_KILL_AT", std::to_string(at).c_str(), 1);
        ::setenv("REZUD_OPS_FILE", ops.c_str(), 1);
        Process p(args, env.root / "killed.log");
        for (const char* name : {"REZUD_KILL_PATH", "REZUD_KILL_AT", "REZUD_OPS_FILE"}) ::unsetenv(name);
        return p.Wait();
    };
    // The last operation on the marker is its removal.
    ASSERT_EQ(killable("/restored/.rezud-restore", 0), 0) << ReadFile(env.root / "killed.log");
    const long last = std::stol(ReadFile(ops));
    struct Case {
        std::string aim;
        long at;
        bool skips;
    };
    for (const Case& c : {Case{"/restored/.rezud-offsite", 1, false}, Case{"/restored/00000001", 1, false},
                          Case{"/restored/00000000/", 1, true}, Case{"/restored/.rezud-restore", last, true}}) {
        SCOPED_TRACE(c.aim);
        fs::remove_all(dir);
        ASSERT_EQ(killable(c.aim, c.at), -1);
        ASSERT_TRUE(fs::exists(dir + "/.rezud-restore"));
        std::vector<std::string> args = FromOffsite(id, dir);
        args.push_back("--json");
        const CliResult r = Rezud(args);
        ASSERT_EQ(r.code, 0) << r.err << r.out;
        const auto report = nlohmann::json::parse(r.out)["restore"];
        EXPECT_EQ(report["restored"].get<int>() + report["skipped"].get<int>(), 42);
        EXPECT_EQ(report["skipped"].get<int>() > 0, c.skips) << report;
        AsBackedUp(dir);
    }
}
