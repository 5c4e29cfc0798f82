#include "gui/users/User_Admin.h"

#include "core/base/MyErrHandler.h"
#include "gui/ui/OpenerTrap.h"

#include <QApplication>
#include <QMouseEvent>

User_Admin::User_Admin(UiContext& ui, QWidget* parent) : QDialog(parent), ui_(ui), users_(ui.app)
{
    BuildControls();
    Wire();
    Form_Load();
}

void User_Admin::Wire()
{
    connect(Combo1, &QComboBox::activated, this, &User_Admin::Combo1_Click);
    connect(Tab1, &QTabWidget::currentChanged, this, &User_Admin::Tab1_Click);
    connect(usbNew, &UserStdButton::Click, this, &User_Admin::usbNew_Click);
    connect(usbCancel, &UserStdButton::Click, this, &User_Admin::usbCancel_Click);
    connect(usbSaveDetail, &UserStdButton::Click, this, &User_Admin::usbSaveDetail_Click);
    connect(usbSavePw, &UserStdButton::Click, this, &User_Admin::usbSavePw_Click);
    connect(usbClearPw, &UserStdButton::Click, this, &User_Admin::usbClearPw_Click);
    connect(usbDelete, &UserStdButton::Click, this, &User_Admin::usbDelete_Click);
    connect(usbClose, &UserStdButton::Click, this, &QDialog::close);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, ToOpenersTrap(this, &User_Admin::OnFocusChanged));
}

// QDialog's destructor hides the window, which moves the focus: by then
// this window's members are gone, so it must no longer hear of it.
User_Admin::~User_Admin() { disconnect(focusWatch_); }

std::string User_Admin::ItemData(int index) const { return std::to_string(Combo1->itemData(index).toLongLong()); }

// A selection made here runs the selection handler, as the person's does.
void User_Admin::SelectEntry(int index)
{
    const QSignalBlocker quiet(Combo1);
    Combo1->setCurrentIndex(index);
    Combo1_Click();
}

// Tabs count from 1, as the handler knows them.
void User_Admin::SelectTab(int tab)
{
    {
        const QSignalBlocker quiet(Tab1);
        Tab1->setCurrentIndex(tab - 1);
    }
    Tab1_Click();
}

void User_Admin::Form_Load()
{
    Trapped(ui_.app.prompter, "User_Admin.Form_Load", [&] {
        RefreshCombo1();
        if (Combo1->count() > 0) {
            SelectEntry(0);
            m_sUserID = ItemData(0);
        }
        SelectTab(1);
    });
}

void User_Admin::RefreshCombo1()
{
    Trapped(ui_.app.prompter, "User_Admin.RefreshCombo1", [&] {
        const std::vector<ListEntry> users = users_.Users();
        Combo1->clear();
        for (const ListEntry& user : users) Combo1->addItem(QString::fromStdString(user.text), qlonglong(user.id));
    });
}

void User_Admin::Combo1_Click()
{
    Trapped(ui_.app.prompter, "User_Admin.Combo1_Click", [&] {
        const int index = Combo1->currentIndex();
        if (index < 0 || Combo1->itemData(index).toLongLong() == 0) return;
        m_sMode = "E";
        usbCancel->hide();
        SelectTab(1);
        m_sUserID = ItemData(index);
        const bool admin = UserMaintenance::IsAdministrator(m_sUserID, Combo1->itemText(index).toStdString());
        usbDelete->SetEnabled(!admin);
        usbSaveDetail->SetEnabled(!admin);
        tbUserName->setReadOnly(admin);
        tbLoginID->setReadOnly(admin);
        RefreshDetail(m_sUserID);
    });
}

void User_Admin::RefreshDetail(const std::string& sUserID)
{
    Trapped(
        ui_.app.prompter, "User_Admin.RefreshDetail(sUserID)",
        [&] {
            if (const std::optional<UserDetail> detail = users_.Detail(sUserID)) {
                tbLoginID->setText(QString::fromStdString(detail->loginId));
                tbUserName->setText(QString::fromStdString(detail->userName));
                Text1[0]->setText(detail->hasPassword ? UserMsg::kPasswordMask : "");
            }
            Text1[1]->clear();
            Text1[2]->clear();
        },
        sUserID);
}

// The tab widget shows the page; the window sets what the page needs.
void User_Admin::Tab1_Click()
{
    if (Tab1->currentWidget() == pic1) {
        SetDefaultButton(usbSaveDetail);
    } else if (Tab1->currentWidget() == pic2) {
        // A user not yet saved has no password to set.
        pic2->setEnabled(m_sMode != "N");
        if (m_sMode != "N") SetDefaultButton(usbSavePw);
    }
}

void User_Admin::SetDefaultButton(UserStdButton* button)
{
    usbSaveDetail->SetDefault(button == usbSaveDetail);
    usbSavePw->SetDefault(button == usbSavePw);
}

void User_Admin::SetEditLock(bool bEditing)
{
    Combo1->setEnabled(!bEditing);
    usbNew->SetEnabled(!bEditing);
    usbDelete->SetEnabled(!bEditing);
}

void User_Admin::usbNew_Click()
{
    Trapped(ui_.app.prompter, "User_Admin.usbNew_Click", [&] {
        RefreshCombo1();
        m_sMode = "N";
        Combo1->addItem(UserMsg::kNewUserEntry, qlonglong(0));
        SelectEntry(Combo1->count() - 1);
        SelectTab(1);
        usbSaveDetail->SetEnabled(true);
        tbUserName->setReadOnly(false);
        tbLoginID->setReadOnly(false);
        SetEditLock(true);
        tbLoginID->clear();
        tbUserName->clear();
        Text1[0]->clear();
        tbUserName->setFocus();
        usbCancel->show();
    });
}

void User_Admin::usbCancel_Click()
{
    Trapped(ui_.app.prompter, "User_Admin.usbCancel_Click", [&] {
        if (m_sMode != "N") return;
        Combo1->removeItem(Combo1->count() - 1);
        // Unlocked before the selection, so the administrator's protections
        // of the selected entry stand.
        SetEditLock(false);
        if (Combo1->count() > 0) {
            SelectEntry(0);
        } else {
            m_sMode.clear();
            usbCancel->hide();
        }
    });
}

void User_Admin::usbSaveDetail_Click()
{
    Trapped(ui_.app.prompter, "User_Admin.usbSaveDetail_Click", [&] {
        const std::string name = tbUserName->text().toStdString();
        const std::string login = tbLoginID->text().toStdString();
        if (!users_.ValidateDetail(name, login)) return;
        if (m_sMode == "N") {
            const std::optional<std::int64_t> id = users_.CreateUser(name, login);
            if (!id) return;
            const int index = Combo1->currentIndex();
            Combo1->setItemText(index, tbUserName->text());
            m_sUserID = std::to_string(*id);
            Combo1->setItemData(index, qlonglong(*id));
            SetEditLock(false);
            SelectEntry(0);
            m_sMode = "E";
            pic2->setEnabled(true);
            users_.ConfirmCreated();
            usbCancel->hide();
        } else if (m_sMode == "E") {
            // The entry keeps its place; the list is sorted when next loaded.
            if (users_.UpdateUser(m_sUserID, name, login))
                Combo1->setItemText(Combo1->currentIndex(), tbUserName->text());
        }
    });
}

void User_Admin::usbSavePw_Click()
{
    Trapped(ui_.app.prompter, "User_Admin.usbSavePw_Click", [&] {
        if (!users_.ChangePassword(m_sUserID, Text1[0]->text().toStdString(), Text1[1]->text().toStdString(),
                                   Text1[2]->text().toStdString()))
            return;
        Text1[0]->setText(UserMsg::kPasswordMask);
        Text1[1]->clear();
        Text1[2]->clear();
    });
}

void User_Admin::usbClearPw_Click()
{
    Trapped(ui_.app.prompter, "User_Admin.usbClearPw_Click", [&] {
        if (!users_.ClearPassword(m_sUserID)) return;
        for (QLineEdit* box : Text1) box->clear();
    });
}

void User_Admin::usbDelete_Click()
{
    Trapped(ui_.app.prompter, "User_Admin.usbDelete_Click", [&] {
        if (!users_.DeleteUser(m_sUserID, tbUserName->text().toStdString(), tbLoginID->text().toStdString())) return;
        RefreshCombo1();
        if (Combo1->count() == 0) return;
        SelectEntry(0);
        m_sUserID = ItemData(Combo1->currentIndex());
    });
}

// Leaving an empty detail box for any control of the window but the other
// detail box or Abort is refused; the focus goes back to the box.
void User_Admin::OnFocusChanged(QWidget* old, QWidget* now)
{
    if (checkingFocus_ || !now || now->window() != this) return;
    if (old != tbUserName && old != tbLoginID) return;
    if (now == tbUserName || now == tbLoginID || now == usbCancel->InnerButton()) return;
    auto* box = static_cast<QLineEdit*>(old);
    if (!box->isVisible()) return;
    checkingFocus_ = true;
    if (!users_.MayLeaveBox(box == tbLoginID, box->text().toStdString())) {
        // The press that moved the focus must not become a click.
        if (QGuiApplication::mouseButtons() != Qt::NoButton && !refusedClick_) {
            refusedClick_ = now;
            now->installEventFilter(this);
        }
        box->setFocus();
    }
    checkingFocus_ = false;
}

bool User_Admin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != refusedClick_) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        watched->removeEventFilter(this);
        refusedClick_ = nullptr;
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}
