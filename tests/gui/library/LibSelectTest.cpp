#include "gui/library/LibSelect.h"
#include "core/common/IniFile.h"
#include "support/UiTestEnv.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    bool stayedOpen = false;
    std::string focus; // objectName of the window's focus box after OK
    int result = -1;
};

} // namespace

class LibSelectTest : public ::testing::Test {
protected:
    UiTestEnv env;
    std::string lib = env.MakeBareLibrary();

    // Opens the window, types both boxes, clicks OK.
    Outcome ClickOK(const std::string& a, const std::string& b)
    {
        Outcome outcome;
        LibSelect dialog(env.ui);
        env.dialogs.steps.push_back([&](QDialog& d) {
            auto* libBox = Find<QLineEdit>(d, "tbLibPath");
            auto* backupBox = Find<QLineEdit>(d, "tbLibPathBackup");
            libBox->setText(QString::fromStdString(a));
            backupBox->setText(QString::fromStdString(b));
            // Start elsewhere, so a focus check cannot pass by accident.
            d.findChild<QPushButton*>("cmdCancel")->setFocus();
            Click(d, "cmdOK");
            outcome.stayedOpen = d.isVisible();
            if (QWidget* f = d.focusWidget()) outcome.focus = f->objectName().toStdString();
        });
        outcome.result = env.dialogs.Run(dialog);
        return outcome;
    }

    std::string Stored(const char* key) { return IniRead(env.Ini(), "LIB", key); }
};

TEST_F(LibSelectTest, ShowsTheStoredPathsInItsControls)
{
    IniWrite(env.Ini(), "Lib", "Path", lib);
    IniWrite(env.Ini(), "Lib", "Backpath", "/srv/backup");
    LibSelect dialog(env.ui);
    EXPECT_EQ(dialog.windowTitle(), "Select Library");
    EXPECT_EQ(Find<QLineEdit>(dialog, "tbLibPath")->text().toStdString(), lib);
    EXPECT_EQ(Find<QLineEdit>(dialog, "tbLibPathBackup")->text(), "/srv/backup");
    EXPECT_EQ(Find<QLabel>(dialog, "Label1")->text(), "Active Library Path");
    EXPECT_EQ(Find<QLabel>(dialog, "Label2")->text(), "Backup Library Path");
    EXPECT_EQ(Find<QPushButton>(dialog, "Command1")->text(), "...");
    EXPECT_EQ(Find<QPushButton>(dialog, "Command4")->text(), "...");
    EXPECT_EQ(Find<QPushButton>(dialog, "cmdOK")->text(), "OK");
    EXPECT_EQ(Find<QPushButton>(dialog, "cmdCancel")->text(), "Cancel");
    Find<QGroupBox>(dialog, "Frame1");
    dialog.show();
    const QPoint offset = dialog.frameGeometry().center() - dialog.screen()->availableGeometry().center();
    // Within the window frame the platform adds once the window is shown.
    EXPECT_LE(offset.manhattanLength(), 12);
}

TEST_F(LibSelectTest, RefusesShortOrMissingActivePath)
{
    const Outcome root = ClickOK("/", "");
    EXPECT_TRUE(root.stayedOpen);
    EXPECT_EQ(root.focus, "tbLibPath");
    EXPECT_EQ(env.prompter.Last().text, "Invalid Active Library path !");
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(env.prompter.Last().title, "Admin Tool");

    EXPECT_EQ(ClickOK("a/", "").focus, "tbLibPath"); // one character left
    EXPECT_EQ(env.prompter.Last().text, "Invalid Active Library path !");

    const Outcome missing = ClickOK((env.root / "nope").string(), "");
    EXPECT_TRUE(missing.stayedOpen);
    EXPECT_EQ(missing.focus, "tbLibPath");
    EXPECT_EQ(env.prompter.Last().text, "Active Library path does not exist!");
    EXPECT_EQ(env.prompter.boxes.size(), 3u);
    EXPECT_FALSE(fs::exists(env.Ini()));
}

TEST_F(LibSelectTest, ActivePathIsCheckedBeforeTheBackupPath)
{
    ClickOK("/", "/");
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{"Invalid Active Library path !"});
}

TEST_F(LibSelectTest, ShortestAcceptedPathIsTwoCharacters)
{
    const fs::path cwd = fs::current_path();
    fs::create_directories(env.root / "ab");
    fs::current_path(env.root);
    const Outcome outcome = ClickOK("ab", "");
    fs::current_path(cwd);
    EXPECT_FALSE(outcome.stayedOpen);
    EXPECT_EQ(Stored("Path"), "ab");
}

TEST_F(LibSelectTest, RefusesAShortBackupPath)
{
    const Outcome outcome = ClickOK(lib, "/");
    EXPECT_TRUE(outcome.stayedOpen);
    EXPECT_EQ(outcome.focus, "tbLibPathBackup");
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{"Invalid Backup Library path !"});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
}

TEST_F(LibSelectTest, MissingBackupPathIsCreatedOnYes)
{
    const std::string backup = (env.root / "back/up").string();
    env.prompter.answers = {MsgAnswer::Yes};
    const Outcome outcome = ClickOK(lib, backup);
    EXPECT_FALSE(outcome.stayedOpen);
    EXPECT_EQ(outcome.result, QDialog::Accepted);
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text, "Backup Library path does not exist! Create it now ?");
    EXPECT_EQ(env.prompter.Last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(fs::is_directory(backup));
    EXPECT_EQ(Stored("Path"), lib);
    EXPECT_EQ(Stored("Backpath"), backup);
}

TEST_F(LibSelectTest, MissingBackupPathRefusedOnNo)
{
    const std::string backup = (env.root / "back").string();
    env.prompter.answers = {MsgAnswer::No};
    const Outcome outcome = ClickOK(lib, backup);
    EXPECT_TRUE(outcome.stayedOpen);
    EXPECT_EQ(outcome.focus, "tbLibPathBackup");
    EXPECT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_FALSE(fs::exists(env.Ini()));
}

TEST_F(LibSelectTest, ABackupPathInsideAroundOrOnTheLibraryIsRefusedBeforeTheQuestion)
{
    const std::pair<std::string, std::string> cases[] = {
        {lib + "/backup", "The backup library path can not be inside the active library path !"},
        {env.root.string(), "The active library path can not be inside the backup library path !"},
        {lib + "/.", "The backup library path can not be the same as the active library path !"},
    };
    for (const auto& [backup, refusal] : cases) {
        env.prompter.Clear();
        const Outcome outcome = ClickOK(lib, backup);
        EXPECT_TRUE(outcome.stayedOpen) << backup;
        EXPECT_EQ(outcome.focus, "tbLibPathBackup");
        EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{refusal});
        EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
    }
    EXPECT_FALSE(fs::exists(lib + "/backup"));
    EXPECT_FALSE(fs::exists(env.Ini()));
}

TEST_F(LibSelectTest, FailedBackupCreationIsToldAndStaysOpen)
{
    WriteFile(env.root / "file", "x"); // a file where a directory should go
    const std::string backup = (env.root / "file/sub").string();
    env.prompter.answers = {MsgAnswer::Yes};
    const Outcome outcome = ClickOK(lib, backup);
    EXPECT_TRUE(outcome.stayedOpen);
    EXPECT_EQ(outcome.focus, "tbLibPathBackup");
    ASSERT_EQ(env.prompter.boxes.size(), 3u);
    EXPECT_EQ(env.prompter.boxes[1].text.rfind("Failed to create the directory: " + backup, 0), 0u);
    EXPECT_EQ(env.prompter.boxes[2].text, "Failed to create the directory ! Please check your access right.");
    EXPECT_EQ(env.prompter.boxes[2].icon, MsgIcon::None);
    EXPECT_FALSE(fs::exists(env.Ini()));
}

TEST_F(LibSelectTest, EmptyBackupIsStoredWithoutQuestions)
{
    IniWrite(env.Ini(), "Lib", "Backpath", "/old/backup");
    const Outcome outcome = ClickOK(lib, "");
    EXPECT_FALSE(outcome.stayedOpen);
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_EQ(Stored("Path"), lib);
    EXPECT_EQ(Stored("Backpath"), "");
    EXPECT_NE(ReadFile(env.Ini()).find("Backpath="), std::string::npos);
}

TEST_F(LibSelectTest, OnlyOneTrailingSeparatorIsCut)
{
    const std::string backup = (env.root / "bk").string();
    fs::create_directories(backup);
    ClickOK(lib + "/", backup + "/");
    EXPECT_EQ(Stored("Path"), lib);
    EXPECT_EQ(Stored("Backpath"), backup);
    ClickOK(lib + "//", backup + "//");
    EXPECT_EQ(Stored("Path"), lib + "/");
    EXPECT_EQ(Stored("Backpath"), backup + "/");
}

TEST_F(LibSelectTest, UnwritableSettingsFileKeepsTheWindowOpen)
{
    fs::create_directories(env.Ini()); // a directory where the file should be
    const Outcome outcome = ClickOK(lib, "");
    EXPECT_TRUE(outcome.stayedOpen);
    EXPECT_EQ(env.prompter.Last().text, "Failed to write the settings file: " + env.Ini());
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
}

TEST_F(LibSelectTest, BrowseButtonsFillTheirOwnBox)
{
    LibSelect dialog(env.ui);
    std::intptr_t owner = 0;
    env.prompter.folders = {std::string("/chosen/lib"), std::nullopt, std::string("/chosen/backup")};
    env.dialogs.steps.push_back([&](QDialog& d) {
        owner = static_cast<std::intptr_t>(d.winId());
        Find<QLineEdit>(d, "tbLibPath")->setText("/start/here/");
        Click(d, "Command1");
        Click(d, "Command1"); // cancelled
        Click(d, "Command4");
        EXPECT_EQ(Find<QLineEdit>(d, "tbLibPath")->text(), "/chosen/lib");
        EXPECT_EQ(Find<QLineEdit>(d, "tbLibPathBackup")->text(), "/chosen/backup");
    });
    env.dialogs.Run(dialog);
    ASSERT_EQ(env.prompter.folderRequests.size(), 3u);
    const FolderRequest& first = env.prompter.folderRequests[0];
    EXPECT_EQ(first.title, "Select a folder");
    EXPECT_EQ(first.initialPath, "/start/here");
    EXPECT_EQ(first.owner, owner);
    EXPECT_GT(owner, 0);
    EXPECT_EQ(env.prompter.folderRequests[1].initialPath, "/chosen/lib");
    EXPECT_EQ(env.prompter.folderRequests[2].initialPath, "");
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
}

TEST_F(LibSelectTest, EscapeClosesWithoutSaving)
{
    LibSelect dialog(env.ui);
    env.dialogs.steps.push_back([&](QDialog& d) {
        Type(d, "tbLibPath", lib);
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(env.dialogs.Run(dialog), QDialog::Rejected);
    EXPECT_FALSE(fs::exists(env.Ini()));
}
