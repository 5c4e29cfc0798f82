#pragma once
// Shared pieces of the screens tool: a program directory, a prompter that
// answers without showing anything, and saving a window to PNG.
#include "core/app/AppContext.h"
#include "core/library/BackupPlace.h"
#include "gui/app/UiContext.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>

#include <filesystem>
#include <string>

// Answers every box without showing it, so rendering never blocks: No to
// every question but the one that lets the backup window run.
class SilentPrompter : public Prompter {
public:
    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon, const std::string&) override
    {
        if (buttons != MsgButtons::YesNo) return MsgAnswer::Ok;
        return text == kCreateBackupPathQuestion ? MsgAnswer::Yes : MsgAnswer::No;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }
};

// A nested dialog is shown, never run modally.
class ShowOnly : public DialogRunner {
public:
    int Run(QDialog& dialog) override
    {
        dialog.show();
        QApplication::processEvents(); // lets a window run its start-up work
        return QDialog::Rejected;
    }
};

inline constexpr int kScreenWidth = 1920;
inline constexpr int kScreenHeight = 1080;

struct Screens {
    std::filesystem::path out;
    std::filesystem::path programDir;
    SilentPrompter prompter;
    ShowOnly dialogs;

    // Controls whose text is cut, as "window: control: text".
    QStringList cut;
    // Windows larger than a 1920x1080 screen, as "window: width x height".
    QStringList tooLarge;

    // Shows the window, writes it as out/name.png and notes its cut texts.
    void Save(QWidget& w, const std::string& name);
    // A library made from the blank templates with its first rows,
    // configured in the settings file; returns its path.
    std::string MakeLibrary(const std::string& name = "VrchLib");
};

void RenderConsole(Screens& s);
void RenderLibraryCreation(Screens& s);
void RenderBackup(Screens& s);
void RenderLibCheck(Screens& s);
void RenderActiveUser(Screens& s);
void RenderMiscSetting(Screens& s);
void RenderLibSelect(Screens& s);
void RenderAdminPass(Screens& s);
void RenderUserWindows(Screens& s);   // UserScreens.cpp
void RenderVerifyRestore(Screens& s); // VerifyRestoreScreens.cpp
