#pragma once
// The window "Active User List": the users on the login list, and removing
// one of them from it.
#include "gui/app/UiContext.h"

#include <QDialog>
#include <QListWidget>

class UserStdButton;

class ActiveUser : public QDialog {
    Q_OBJECT
public:
    explicit ActiveUser(UiContext& ui, QWidget* parent = nullptr);

    // Fills List1 afresh from the login list.
    void LoadActiveUsers();

private:
    void UserStdButton1_Click();

    UiContext& ui_;
    QListWidget* List1;
    UserStdButton* UserStdButton1;
    UserStdButton* UserStdButton2;
};
