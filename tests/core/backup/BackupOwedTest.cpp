// The manifest a run leaves: every copy with what it holds, and the
// documents owed, which the next run copies first whatever the date.
#include "core/backup/BackupManifest.h"
#include "core/common/Sha256.h"
#include "support/BackupFixture.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class BackupOwedTest : public BackupTest {
protected:
    std::unique_ptr<BackupManifest> Manifest() { return BackupManifest::OpenForReading(backup); }
    std::vector<OwedDocument> Owed()
    {
        std::vector<OwedDocument> owed;
        Manifest()->ForEachOwed([&](const OwedDocument& d) { owed.push_back(d); });
        return owed;
    }
    LibraryBuilder::Document Changed(const std::string& name)
    {
        auto d = Doc(name, "1", "2099-01-01 00:00:00");
        d.fileTime = fs::file_time_type::clock::now() + std::chrono::hours(2);
        return d;
    }
    // A first run, so the change test applies to the next ones.
    void Started()
    {
        builder.AddDocument(folder, Doc("old.tif"));
        ASSERT_TRUE(Run());
    }
};

} // namespace

TEST_F(BackupOwedTest, EveryCopyAndBothDatabasesAreInTheManifestWithWhatTheyHold)
{
    builder.AddDocument(folder, Doc("a.tif"));
    auto large = Doc("large.tif");
    large.fileSize = 3 << 20; // beyond one read
    builder.AddDocument(folder, large);
    ASSERT_TRUE(Run());
    auto manifest = Manifest();
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->EntryCount(), 4);
    for (const std::string path : {"00000001/a.tif", "00000001/large.tif", "00000000/LIB.MDE", "00000000/CTRL.MDE"}) {
        const auto entry = manifest->Entry(path);
        ASSERT_TRUE(entry) << path;
        const FileDigest onDisk = DigestOfFile(backup + "/" + path);
        EXPECT_EQ(entry->size, onDisk.size) << path;
        EXPECT_EQ(entry->sha256, onDisk.sha256) << path;
        struct stat st {};
        ASSERT_EQ(::stat((backup + "/" + path).c_str(), &st), 0);
        EXPECT_EQ(entry->mtimeNs, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec) << path;
    }
    EXPECT_EQ(manifest->OwedCount(), 0);
}

TEST_F(BackupOwedTest, AFailedCopyIsOwedTheDateAdvancesAndTheNextRunCopiesItFirst)
{
    Started();
    const std::string firstDate = "01/01/2020 00:00:00";
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", firstDate);
    // Older than the date this run will write, so only what is owed is copied next.
    auto changed = [&](const std::string& name) {
        auto d = Changed(name);
        d.fileTime = fs::file_time_type::clock::now() - std::chrono::hours(1);
        return d;
    };
    const std::int64_t b = builder.AddDocument(folder, changed("b.tif"));
    builder.AddDocument(folder, changed("c.tif"));
    LibBackupRun failing(*env.app, Plenty);
    failing.copyFile = [&failing](const fs::path& s, const fs::path& d) {
        if (d.filename() == "b.tif")
            throw fs::filesystem_error("read error", s, std::error_code(EIO, std::generic_category()));
        return failing.WriteDocument(s, d);
    };
    ASSERT_TRUE(failing.LibBackup(1000));
    EXPECT_FALSE(failing.Complete());
    EXPECT_EQ(failing.Totals().copy, 2); // old.tif, older than the date set back, and c.tif
    EXPECT_EQ(failing.Totals().notCopied, 1);
    EXPECT_EQ(failing.Totals().owed, 1);
    EXPECT_EQ(env.prompter.ErrorReports(), 1); // told once
    EXPECT_NE(env.prompter.Last().text.find("Libbackup.CopyImage"), std::string::npos);
    EXPECT_EQ(Record("Total Copy"), "2");
    EXPECT_TRUE(fs::exists(Copied("c.tif")));
    EXPECT_NE(failing.ReportText().find("Documents owed (copied first by the next backup) : 1\r\n" + std::to_string(b) +
                                        ": 00000001/b.tif (copy failed: Input/output error)"),
              std::string::npos)
        << failing.ReportText();
    EXPECT_NE(Record("DATE"), firstDate);
    auto owed = Owed();
    ASSERT_EQ(owed.size(), 1u);
    EXPECT_EQ(owed[0].id, b);
    EXPECT_FALSE(Manifest()->Entry("00000001/b.tif"));

    // b.tif is older than the record's date now, and copied all the same.
    LibBackupRun next(*env.app, Plenty);
    ASSERT_TRUE(next.LibBackup(1000));
    EXPECT_TRUE(next.Complete());
    EXPECT_EQ(next.Totals().copy, 1);
    EXPECT_TRUE(fs::exists(Copied("b.tif")));
    EXPECT_TRUE(Owed().empty());
    EXPECT_TRUE(Manifest()->Entry("00000001/b.tif"));
    EXPECT_EQ(next.ReportText().find("owed"), std::string::npos);
}

TEST_F(BackupOwedTest, AMissingFileStaysOwedSinceItsFirstRunUntilItComesBack)
{
    Started();
    auto gone = Changed("gone.tif");
    const auto oldTime = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    gone.fileSize.reset();
    const std::int64_t id = builder.AddDocument(folder, gone);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(env.prompter.boxes.empty());
    ASSERT_EQ(Owed().size(), 1u);
    EXPECT_EQ(Owed()[0].reason.rfind("file missing", 0), 0u) << Owed()[0].reason;
    const std::string since = Owed()[0].since;

    ASSERT_TRUE(Run());
    ASSERT_EQ(Owed().size(), 1u);
    EXPECT_EQ(Owed()[0].since, since);
    EXPECT_EQ(Owed()[0].id, id);

    // Put back by hand with its old time: no change test would pick it up.
    WriteFile(builder.FileOf(gone), "back again");
    fs::last_write_time(builder.FileOf(gone), oldTime);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(fs::exists(Copied("gone.tif")));
    EXPECT_TRUE(Owed().empty());
    EXPECT_EQ(last.owed, 0);
}

TEST_F(BackupOwedTest, AnOwedDocumentWhoseRowIsGoneIsForgotten)
{
    Started();
    auto gone = Changed("gone.tif");
    gone.fileSize.reset();
    const std::int64_t id = builder.AddDocument(folder, gone);
    ASSERT_TRUE(Run());
    ASSERT_EQ(Owed().size(), 1u);
    builder.Lib().exec("DELETE FROM images WHERE id=" + std::to_string(id));
    ASSERT_TRUE(Run());
    EXPECT_TRUE(Owed().empty());
    EXPECT_EQ(last.owed, 0);
}

TEST_F(BackupOwedTest, AManifestThatCannotBeWrittenFailsTheRunBeforeTheRecord)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directories(backup + "/Libbackup.manifest-journal"); // SQLite cannot make its journal
    EXPECT_FALSE(Run());
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_TRUE(Record("DATE").empty());
}

TEST_F(BackupOwedTest, ABackupMadeBeforeTheManifestGetsOneForWhatItCopies)
{
    builder.AddDocument(folder, Doc("a.tif"));
    ASSERT_TRUE(Run());
    fs::remove(backup + "/Libbackup.manifest");
    builder.AddDocument(folder, Changed("b.tif"));
    ASSERT_TRUE(Run());
    auto manifest = Manifest();
    EXPECT_TRUE(manifest->Entry("00000001/b.tif"));
    EXPECT_FALSE(manifest->Entry("00000001/a.tif"));
    // The database copies are entered even where this run did not copy them.
    EXPECT_TRUE(manifest->Entry("00000000/LIB.MDE"));
    EXPECT_TRUE(manifest->Entry("00000000/CTRL.MDE"));
}
