// Verify Backup and Restore Library, opened from the console without a
// login, and what the console tells of the backup afterwards.
#include "core/backup/RestoreTarget.h"
#include "core/backup/VerifyHistory.h"
#include "core/common/IniFile.h"
#include "gui/app/LibAdminMain.h"
#include "support/BackupFixture.h"
#include "support/UiTestEnv.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void ShowActive(QWidget& w)
{
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// Every name in the backup with its size and time: what a reader must leave as it was.
std::vector<std::string> Listing(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        names.push_back(e.path().string() + " " + std::to_string(e.is_regular_file() ? e.file_size() : 0) + " " +
                        std::to_string(e.last_write_time().time_since_epoch().count()));
    std::sort(names.begin(), names.end());
    return names;
}

int CountOf(QDialog& d, const char* title)
{
    auto* table = Find<QTableWidget>(d, "lstCounts");
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0)->text() == title) return table->item(row, 1)->text().toInt();
    return 0;
}

class VerifyRestoreWindowTest : public BackupTestOf<UiTestEnv> {
protected:
    void SetUp() override
    {
        BackupTestOf::SetUp();
        builder.AddDocument(folder, Doc("a.tif"));
        builder.AddDocument(folder, Doc("b.tif"));
        auto gone = Doc("gone.tif");
        gone.fileSize.reset(); // owed from the first run on
        builder.AddDocument(folder, gone);
        ASSERT_TRUE(Run());
        env.Configure(lib);
        IniWrite(env.Ini(), "Lib", "Backpath", backup);
        env.app->state.stateDir = env.root / "state";
        console = std::make_unique<LibAdminMain>(env.ui);
    }
    std::string Line(const char* name) { return Find<QLabel>(*console, name)->text().toStdString(); }
    std::unique_ptr<LibAdminMain> console;
    std::string into = (env.root / "restored").string();
};

} // namespace

TEST_F(VerifyRestoreWindowTest, VerifyByTheKeyboardReadsEveryFileOnlyWhenAskedAndTheConsoleTellsIt)
{
    EXPECT_EQ(Line("lbBackupOwed"),
              "Owed to the backup: 1 document - run Backup.\nVerify Backup tells what to do with it.");
    EXPECT_FALSE(Find<QLabel>(*console, "lbLastVerify")->isVisibleTo(console.get()));
    // Same size, other bytes: only a verify that reads every file finds it.
    std::fstream(Copied("a.tif"), std::ios::in | std::ios::out | std::ios::binary).write("X", 1);
    std::vector<std::string> headlines;
    std::string shown;
    const std::vector<std::string> before = Listing(backup);
    for (const bool readAll : {false, true}) {
        env.dialogs.steps.push_back([&, readAll](QDialog& d) {
            EXPECT_EQ(d.windowTitle().toStdString(), "Verify Backup");
            ShowActive(d);
            // An access key clicks a moment later, as the box shows itself pressed.
            if (readAll) QTest::keyClick(&d, Qt::Key_R, Qt::AltModifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return Find<QCheckBox>(d, "chkReadData")->isChecked() == readAll; }));
            QTest::keyClick(&d, Qt::Key_Return); // Verify
            headlines.push_back(TextOf(d, "Label1"));
            EXPECT_EQ(CountOf(d, "Document the backup owes"), 1);
            EXPECT_EQ(CountOf(d, "File content differs from the manifest"), readAll ? 1 : 0);
            shown = TextOf(d, "Text1");
            QTest::keyClick(&d, Qt::Key_Return); // then Close
            EXPECT_FALSE(d.isVisible());
        });
        Click(*console, "cmdVerifyBackup");
    }
    EXPECT_EQ(headlines, (std::vector<std::string>{"1 finding: see the report for what to do.",
                                                   "2 findings: see the report for what to do."}));
    EXPECT_NE(shown.find("What to do: The copy's bytes changed"), std::string::npos) << shown;
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_FALSE(env.app->state.AdminLoggedIn());
    EXPECT_EQ(Listing(backup), before); // the verify and the console only read it
    EXPECT_TRUE(Line("lbLastVerify").starts_with("Last verify: ")) << Line("lbLastVerify");
    EXPECT_TRUE(Line("lbLastVerify").ends_with(" days ago\nEvery file read: 2 findings - see Verify Backup."))
        << Line("lbLastVerify");
}

TEST_F(VerifyRestoreWindowTest, VerifyWithoutBackupPathIsRefusedAsOnTheCommandLine)
{
    IniWrite(env.Ini(), "Lib", "Backpath", "");
    Click(*console, "cmdVerifyBackup");
    EXPECT_TRUE(env.dialogs.opened.empty());
    EXPECT_EQ(env.prompter.Last().text, "Backup library path is not specified ! ");
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
}

TEST_F(VerifyRestoreWindowTest, RestoreIntoANewDirectoryThenMakeItTheActiveLibrary)
{
    env.app->state.gsLoginUserID = "1";
    env.prompter.folders = {into};
    std::string shown;
    env.dialogs.steps.push_back([&](QDialog& d) {
        EXPECT_EQ(TextOf(d, "txtBackup"), backup);
        EXPECT_FALSE(Find<QPushButton>(d, "cmdStart")->isEnabled()); // no directory yet
        Click(d, "cmdBrowseDir");
        EXPECT_EQ(TextOf(d, "txtDir"), into);
        EXPECT_FALSE(Find<QPushButton>(d, "cmdMakeActive")->isEnabled());
        ShowActive(d);
        QTest::keyClick(&d, Qt::Key_Return); // Restore
        EXPECT_EQ(TextOf(d, "Label1"),
                  "The library is restored, but not all of it as the backup has it: see the report.");
        shown = TextOf(d, "Text1");
        QTest::keyClick(&d, Qt::Key_M, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return TextOf(d, "Label1") == "Active library: " + into; }));
        QTest::keyClick(&d, Qt::Key_Return); // Close
        EXPECT_FALSE(d.isVisible());
    });
    Click(*console, "cmdRestoreLib");
    EXPECT_NE(shown.find("Library restored from " + backup + " into " + into), std::string::npos) << shown;
    EXPECT_NE(shown.find("Documents whose file the backup lacks : 1"), std::string::npos) << shown;
    EXPECT_TRUE(fs::exists(into + "/00000001/a.tif"));
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), into);
    EXPECT_EQ(TextOf(*console, "tbActiveLib"), into);
    EXPECT_FALSE(env.app->state.AdminLoggedIn());
}

TEST_F(VerifyRestoreWindowTest, ARefusedRestoreIsToldAsOnTheCommandLineAndMayBeTriedAgain)
{
    fs::create_directories(into);
    std::ofstream(into + "/note.txt") << "in the way";
    env.dialogs.steps.push_back([&](QDialog& d) {
        Type(d, "txtDir", into);
        Click(d, "cmdStart");
        EXPECT_EQ(TextOf(d, "Label1"), "The library is not restored.");
        EXPECT_FALSE(Find<QPushButton>(d, "cmdMakeActive")->isEnabled());
        EXPECT_TRUE(Find<QPushButton>(d, "cmdStart")->isEnabled());
    });
    Click(*console, "cmdRestoreLib");
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text, kRestoreIntoNonEmpty + into);
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), lib);
}
