#pragma once
// The main console: shows the active library and the login, and offers one
// button per administrative command.
#include "gui/app/UiContext.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <string>

class LibAdminMain : public QWidget {
    Q_OBJECT
public:
    explicit LibAdminMain(UiContext& ui, QWidget* parent = nullptr);

    UiContext& Ui() { return ui_; }
    AppContext& App() { return ui_.app; }

    // Shows the given library as active (non-empty) or none, and enables or
    // disables the commands that work on the active library.
    void RefreshLibStatus(const std::string& sLibPath);
    // True when the administrator is logged in afterwards.
    bool CheckAdminLogin();
    void WarnLibInUse();
    void SetStatus(const std::string& text);
    // Shows the initial-password line while the administrator of the library
    // shown as active still has the initial password.
    void ShowInitialPasswordNotice();
    void ShowLastBackup();

    static bool InitCommonControlsVB() { return true; }

private:
    QPushButton* AddCommand(const char* name, const char* caption);
    void Load();
    void Wire();
    void TakeBackFocus(QPushButton* button);

    UiContext& ui_;
    QLineEdit* tbActiveLib_;
    QLineEdit* tbLibDesc_;
    QLabel* lbStatus_;
    QLabel* lbInitialPassword_;
    QLabel* lbLastBackup_;
    QGridLayout* commands_;
    QLabel* lbBackupOwed_;
    QLabel* lbLastVerify_;
    QList<QPushButton*> libraryCommands_;
    // The library RefreshLibStatus last showed; empty when none.
    std::string shownLibPath_;
};
