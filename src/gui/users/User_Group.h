#pragma once
// The window "Maintain User Groups": the groups of the library, the users
// outside and inside the selected group, and the buttons that move them.
// The rules are GroupMaintenance's; this window keeps the selection.
#include "core/users/GroupMaintenance.h"
#include "gui/app/UiContext.h"
#include "gui/ui/UserStdButton.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QListWidget>

#include <optional>
#include <string>

class User_Group : public QDialog {
    Q_OBJECT
public:
    explicit User_Group(UiContext& ui, QWidget* parent = nullptr);

    const std::string& GroupID() const { return m_sGroupID; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void Wire();

    void Form_Load();
    void RefreshGroupCombo();
    void RefreshNonMembers();
    void RefreshMembers();
    void Combo1_Click();
    void List2_Click();
    void usbAdd_Click();
    void usbRemove_Click();
    void usbNew_Click();
    void usbRename_Click();
    void usbDelete_Click();

    void SelectEntry(int index);
    // The answer of the text input window; empty when there is none.
    std::string AskName(const char* prompt, const std::string& initial);
    static void Fill(QListWidget& list, const std::vector<ListEntry>& entries);
    UserStdButton* AddButton(QWidget* parent, const char* name, const char* caption);
    QListWidget* AddList(QGridLayout* grid, const char* name, const char* labelName, const char* label, int column);

    UiContext& ui_;
    GroupMaintenance groups_;
    std::string m_sGroupID;
    int m_nGroupIndex = -1;

    QComboBox* Combo1;
    QGroupBox* Frame2;
    QListWidget* List1;
    QListWidget* List2;
    UserStdButton* usbAdd;
    UserStdButton* usbRemove;
    UserStdButton* usbNew;
    UserStdButton* usbRename;
    UserStdButton* usbDelete;
    UserStdButton* usbClose;
};
