#pragma once
// The window "Maintain Users": a list of the users, a Detail page with the
// name and login id, and a Password page. The rules are UserMaintenance's;
// this window keeps the selection, the mode and the controls' state.
#include "core/users/UserMaintenance.h"
#include "gui/app/UiContext.h"
#include "gui/ui/UserStdButton.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>

#include <array>
#include <string>

class User_Admin : public QDialog {
    Q_OBJECT
public:
    explicit User_Admin(UiContext& ui, QWidget* parent = nullptr);
    ~User_Admin() override;

    // The selected user's id, and "E" (existing user), "N" (new user) or
    // empty (nothing selected).
    const std::string& UserID() const { return m_sUserID; }
    const std::string& Mode() const { return m_sMode; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildDetailPage();
    void BuildPasswordPage();
    void Wire();

    void Form_Load();
    void RefreshCombo1();
    void RefreshDetail(const std::string& sUserID);
    void Combo1_Click();
    void Tab1_Click();
    void usbNew_Click();
    void usbCancel_Click();
    void usbSaveDetail_Click();
    void usbSavePw_Click();
    void usbClearPw_Click();
    void usbDelete_Click();
    void OnFocusChanged(QWidget* old, QWidget* now);
    // Ended when the window goes: hiding it on the way out moves the focus.
    QMetaObject::Connection focusWatch_;

    void SelectEntry(int index);
    void SelectTab(int tab);
    void SetEditLock(bool bEditing);
    void SetDefaultButton(UserStdButton* button);
    std::string ItemData(int index) const;
    UserStdButton* AddButton(QWidget* parent, const char* name, const char* caption);
    QLineEdit* AddBox(QWidget* parent, const char* name, int maxLength);

    UiContext& ui_;
    UserMaintenance users_;
    std::string m_sUserID;
    std::string m_sMode;
    bool checkingFocus_ = false;
    // The control whose mouse click was refused by the focus-leave check.
    QPointer<QWidget> refusedClick_;

    QComboBox* Combo1;
    UserStdButton* usbNew;
    UserStdButton* usbDelete;
    UserStdButton* usbClose;
    QGroupBox* FrameTab;
    QTabWidget* Tab1;
    QWidget* pic1;
    QLineEdit* tbUserName;
    QLineEdit* tbLoginID;
    UserStdButton* usbSaveDetail;
    UserStdButton* usbCancel;
    QWidget* pic2;
    std::array<QLineEdit*, 3> Text1; // Old, New, Verify
    UserStdButton* usbSavePw;
    UserStdButton* usbClearPw;
};
