#include "gui/app/LibAdminMain.h"
#include "gui/backup/LibBackup.h"
#include "gui/library/LibStat.h"
#include "gui/ui/TextFit.h"
#include "support/BackupFixture.h"
#include "support/UiTestEnv.h"

#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

class BackupWindowTest : public BackupTestOf<UiTestEnv> {
protected:
    static std::string Label(QDialog& d) { return TextOf(d, "Label1"); }

    void Console()
    {
        env.Configure(lib);
        IniWrite(env.Ini(), "Lib", "Backpath", backup);
        console = std::make_unique<LibAdminMain>(env.ui);
        env.app->state.gsLoginUserID = "1";
        env.app->state.gsLoginUserName = "Administrator";
    }
    std::unique_ptr<LibAdminMain> console;
};

TEST_F(BackupWindowTest, StatisticsThenStartThenTheReport)
{
    builder.AddDocument(folder, Doc("a.tif"));
    builder.AddDocument(folder, Doc("b.tif"));
    Console();
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes}; // back up there; create the path
    std::string statReport, ready, done, bar;
    env.dialogs.steps.push_back([&](QDialog& stat) {
        EXPECT_EQ(stat.windowTitle().toStdString(), "Documents Statistics");
        statReport = TextOf(stat, "Text1");
        EXPECT_TRUE(Find<QPushButton>(stat, "cmdOK")->isVisible());
        EXPECT_FALSE(Find<QPushButton>(stat, "Command2")->isVisible());
        Click(stat, "cmdOK");
    });
    env.dialogs.steps.push_back([&](QDialog& dlg) {
        ready = Label(dlg);
        EXPECT_EQ(TextOf(dlg, "Command1"), "Start");
        EXPECT_TRUE(Find<QPushButton>(dlg, "Command2")->isVisible());
        Click(dlg, "Command1");
        done = Label(dlg);
        EXPECT_EQ(TextOf(dlg, "Command1"), "Close");
        EXPECT_FALSE(Find<QPushButton>(dlg, "Command2")->isVisible());
        EXPECT_EQ(Find<QProgressBar>(dlg, "ProgressBar1")->value(), 2);
        Click(dlg, "Command1");
        EXPECT_FALSE(dlg.isVisible());
    });
    Click(*console, "cmdPublishLib");
    ASSERT_GE(env.prompter.boxes.size(), 3u);
    EXPECT_EQ(env.prompter.boxes[1].text, "Backup current active document library to path " + backup + " ? ");
    EXPECT_EQ(env.prompter.boxes[2].text, "Backup Library path does not exist! Create it now ?");
    EXPECT_NE(statReport.find("Number of Documents: 2"), std::string::npos);
    EXPECT_EQ(ready, "Ready to backup library to : \n" + backup);
    EXPECT_EQ(done, "Total indexed documents scanned : 2\n"
                    "Total files created or modified since last backup : 2\n"
                    "Total files actually copied : 2");
    EXPECT_TRUE(std::filesystem::exists(Copied("b.tif")));
    EXPECT_EQ(env.dialogs.opened, (std::vector<std::string>{"LibStat", "LibBackup"}));
}

TEST_F(BackupWindowTest, AnEmptyLibraryNeverStarts)
{
    Console();
    env.prompter.answers = {MsgAnswer::Yes};
    env.dialogs.steps.push_back([&](QDialog& stat) {
        EXPECT_EQ(TextOf(stat, "Text1"), "\n     Empty !");
        Click(stat, "cmdOK");
    });
    env.dialogs.steps.push_back([&](QDialog& dlg) {
        EXPECT_EQ(Label(dlg), "Library has no document to backup ");
        EXPECT_EQ(TextOf(dlg, "Command1"), "Exit");
        EXPECT_FALSE(Find<QPushButton>(dlg, "Command2")->isVisible());
        Click(dlg, "Command1");
    });
    Click(*console, "cmdPublishLib");
    EXPECT_FALSE(std::filesystem::exists(backup));
}

TEST_F(BackupWindowTest, ARefusedRunHidesTheProgressBar)
{
    builder.AddDocument(folder, Doc("a.tif"));
    LibBackup dlg(env.ui, nullptr, [](const std::string&) { return std::optional<std::uint64_t>(0); });
    env.dialogs.steps.push_back([&](QDialog& stat) { Click(stat, "cmdOK"); });
    dlg.Load();
    dlg.show();
    env.prompter.answers = {MsgAnswer::Yes}; // create the path
    Click(dlg, "Command1");
    EXPECT_EQ(env.prompter.Last().text, "Not enough space - quit backup !");
    EXPECT_EQ(Label(dlg), "The backup was refused:\nNot enough space - quit backup !");
    EXPECT_FALSE(Find<QProgressBar>(dlg, "ProgressBar1")->isVisible());
    EXPECT_EQ(TextOf(dlg, "Command1"), "Close");
}

TEST_F(BackupWindowTest, TheBarEndsFullAndTheReportShowsEveryOwedLine)
{
    builder.AddDocument(folder, Doc("a.tif"));
    builder.AddDocument(builder.AddFolder(builder.AddCabinet("Loose")), Doc("outside.tif")); // not walked
    for (int i = 0; i < 7; ++i) {
        auto gone = Doc("gone" + std::to_string(i) + ".tif");
        gone.fileSize.reset();
        builder.AddDocument(folder, gone);
    }
    LibBackup dlg(env.ui, nullptr, Plenty);
    env.dialogs.steps.push_back([&](QDialog& stat) { Click(stat, "cmdOK"); });
    dlg.Load();
    dlg.show();
    env.prompter.answers = {MsgAnswer::Yes}; // create the path
    Click(dlg, "Command1");
    auto* bar = Find<QProgressBar>(dlg, "ProgressBar1");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(bar->maximum(), 9);
    EXPECT_NE(Label(dlg).find("gone4.tif"), std::string::npos) << Label(dlg);
    EXPECT_EQ(Find<QScrollArea>(dlg, "Report")->verticalScrollBar()->maximum(), 0) << "a line is out of sight";
    EXPECT_TRUE(CutTexts(dlg).isEmpty()) << CutTexts(dlg).join("\n").toStdString();
}

TEST_F(BackupWindowTest, CommandWithoutBackupPathOrAnsweredNo)
{
    Console();
    IniWrite(env.Ini(), "Lib", "Backpath", "");
    Click(*console, "cmdPublishLib");
    EXPECT_EQ(env.prompter.Last().text, "Backup library path is not specified ! ");
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);

    IniWrite(env.Ini(), "Lib", "Backpath", backup);
    env.prompter.answers = {MsgAnswer::No};
    Click(*console, "cmdPublishLib");
    EXPECT_EQ(env.app->state.gsBackupLibPath, backup);
    EXPECT_TRUE(env.dialogs.opened.empty());
}
