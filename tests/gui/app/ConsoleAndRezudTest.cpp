// The console and rezud run one operation on two copies of one library and
// must leave the same databases, backup tree and record.
#include "cli/Rezud.h"
#include "core/backup/BackupManifest.h"
#include "core/common/IniFile.h"
#include "core/users/GroupMaintenance.h"
#include "core/users/UserMaintenance.h"
#include "gui/app/LibAdminMain.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QPushButton>
#include <QTest>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Every row of every table, in a stable order, as text.
std::string Dump(const fs::path& db)
{
    SQLite::Database d(db.string(), SQLite::OPEN_READONLY);
    std::string text;
    SQLite::Statement tables(d, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
    while (tables.executeStep()) {
        const std::string table = tables.getColumn(0).getString();
        text += "[" + table + "]\n";
        SQLite::Statement rows(d, "SELECT * FROM `" + table + "` ORDER BY 1");
        while (rows.executeStep()) {
            for (int c = 0; c < rows.getColumnCount(); ++c) text += rows.getColumn(c).getString() + "|";
            text += "\n";
        }
    }
    return text;
}

// Each file of a backup by its path below it: databases by their rows, the
// record by the keys that do not name the library or the hour.
std::map<std::string, std::string> Tree(const fs::path& root)
{
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string rel = fs::relative(entry.path(), root).string();
        if (entry.is_directory())
            tree[rel] = "dir";
        else if (entry.path().extension() == ".MDE")
            tree[rel] = Dump(entry.path());
        else if (rel == "Libbackup.ini") {
            for (const char* key : {"Total Scan", "Total Modified", "Total Copy"})
                tree[rel] += IniRead(entry.path(), "LASTBACKUP", key) + ";";
            tree[rel] += IniRead(entry.path(), "LASTBACKUP", "Date").empty() ? "no date" : "dated";
        } else if (rel == kManifestName) {
            // Its entries without the hour they were written; database
            // copies of the same rows may differ in their bytes.
            BackupManifest::OpenForReading(root.string())->ForEachEntry([&](const ManifestEntry& e) {
                tree[rel] += e.path + (e.path.ends_with(".MDE") ? "" : " " + e.sha256) + "\n";
            });
        } else if (rel == kManifestName + std::string("-journal")) {
            // Kept between commits; after a run its header is zeros, so it
            // holds no transaction to roll back.
            const std::string head = ReadFile(entry.path()).substr(0, 28);
            tree[rel] = head.find_first_not_of('\0') == std::string::npos ? "no transaction" : "a transaction";
        } else
            tree[rel] = ReadFile(entry.path());
    }
    return tree;
}

} // namespace

class ConsoleAndRezudTest : public ::testing::Test {
protected:
    UiTestEnv env;
    std::string lib = env.MakeBareLibrary("lib");
    std::string twin = (env.root / "twin").string();

    void SetUp() override
    {
        LibraryBuilder builder(lib);
        builder.AddInitialRows("Twins");
        const auto folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
        for (int i = 0; i < 5; ++i) {
            LibraryBuilder::Document doc;
            doc.internal = "1";
            doc.updated = "2020-01-01 10:00:00";
            doc.fileSize = 100 + i;
            builder.AddDocument(folder, doc);
        }
        fs::copy(lib, twin, fs::copy_options::recursive);
        env.Configure(lib);
    }

    int Rezud(std::vector<std::string> args)
    {
        std::istringstream in;
        std::ostringstream out, err;
        CliIo io{in,
                 out,
                 err,
                 false,
                 false,
                 [](const std::string& name) -> std::optional<std::string> {
                     if (name == "REZUD_ADMIN_PASSWORD") return std::string("quillset");
                     return std::nullopt;
                 },
                 {}};
        args.insert(args.begin(), {"--library", twin});
        return RunRezud(args, env.programDir, io);
    }
};

TEST_F(ConsoleAndRezudTest, BackupLeavesTheSameTreeAndRecord)
{
    const std::string backup = (env.root / "backup").string(), twinBackup = (env.root / "twinBackup").string();
    IniWrite(env.Ini(), "Lib", "Backpath", backup);
    LibAdminMain console(env.ui);
    env.app->state.gsLoginUserID = "1";
    env.app->state.gsLoginUserName = "Administrator";
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes}; // back up there; create the path
    env.dialogs.steps.push_back(
        [](QDialog& stat) { QTest::mouseClick(Find<QPushButton>(stat, "cmdOK"), Qt::LeftButton); });
    env.dialogs.steps.push_back([](QDialog& run) {
        QTest::mouseClick(Find<QPushButton>(run, "Command1"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(run, "Command1"), Qt::LeftButton);
    });
    QTest::mouseClick(Find<QPushButton>(console, "cmdPublishLib"), Qt::LeftButton);

    ASSERT_EQ(Rezud({"backup", "--to", twinBackup, "--yes", "--create-backup-path"}), 0);
    const auto ours = Tree(backup), theirs = Tree(twinBackup);
    EXPECT_EQ(ours.size(), theirs.size());
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(ours.at("Libbackup.ini"), "5;5;5;dated");
}

TEST_F(ConsoleAndRezudTest, UserMaintenanceLeavesTheSameDatabase)
{
    ASSERT_EQ(Rezud({"users", "add", "Dan Smith", "dan"}), 0);
    ASSERT_EQ(Rezud({"groups", "add", "Readers"}), 0);
    ASSERT_EQ(Rezud({"groups", "add-member", "Readers", "dan"}), 0);
    ASSERT_EQ(Rezud({"users", "delete", "dan", "--yes"}), 0);
    ASSERT_EQ(Rezud({"users", "add", "Eve", "eve"}), 0);

    env.Activate(lib);
    UserMaintenance users(*env.app);
    GroupMaintenance groups(*env.app);
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    const auto dan = users.CreateUser("Dan Smith", "dan");
    ASSERT_TRUE(dan);
    ASSERT_TRUE(groups.CreateGroup("Readers"));
    ASSERT_TRUE(groups.AddMember(std::to_string(groups.FindByName("Readers")->id), *dan));
    ASSERT_TRUE(users.DeleteUser(std::to_string(*dan), "Dan Smith", "dan"));
    ASSERT_TRUE(users.CreateUser("Eve", "eve"));
    env.app->db.CloseLibConnection();
    EXPECT_EQ(Dump(lib + "/00000000/LIB.MDE"), Dump(twin + "/00000000/LIB.MDE"));
}
