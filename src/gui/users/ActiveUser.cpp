#include "gui/users/ActiveUser.h"

#include "core/base/MyErrHandler.h"
#include "core/users/ActiveList.h"
#include "gui/ui/TextFit.h"
#include "gui/ui/UserStdButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

ActiveUser::ActiveUser(UiContext& ui, QWidget* parent) : QDialog(parent), ui_(ui)
{
    setObjectName("ActiveUser");
    setWindowTitle("Active User List");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("Select user to remove from the login list", this);
    label->setObjectName("Label1");
    layout->addWidget(label);
    List1 = new QListWidget(this);
    List1->setObjectName("List1");
    layout->addWidget(List1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    UserStdButton1 = new UserStdButton("Remove", this);
    UserStdButton1->setObjectName("UserStdButton1");
    UserStdButton2 = new UserStdButton("Close", this);
    UserStdButton2->setObjectName("UserStdButton2");
    buttons->addWidget(UserStdButton1);
    buttons->addWidget(UserStdButton2);
    layout->addLayout(buttons);
    // A user name of 25 characters and its login time.
    List1->setMinimumWidth(CharsWide(List1, 60));

    connect(UserStdButton1, &UserStdButton::Click, this, &ActiveUser::UserStdButton1_Click);
    connect(UserStdButton2, &UserStdButton::Click, this, &QDialog::accept);
    LoadActiveUsers();
}

void ActiveUser::LoadActiveUsers()
{
    List1->clear();
    for (const ActiveUserLine& line : ReadActiveUsers(ui_.app)) {
        auto* item = new QListWidgetItem(QString::fromStdString(line.text), List1);
        item->setData(Qt::UserRole, QVariant::fromValue<qint64>(line.userId));
    }
}

void ActiveUser::UserStdButton1_Click()
{
    Trapped(ui_.app.prompter, "ActiveUser.UserStdButton1_Click", [&] {
        // Nothing listed or nothing selected: nothing to remove.
        if (List1->count() == 0) return;
        QListWidgetItem* selected = List1->currentItem();
        if (!selected || !selected->isSelected()) return;
        ResetActiveUser(ui_.app, selected->data(Qt::UserRole).toLongLong());
        // Reloaded whatever the answer: the list shows the login list as it is now.
        LoadActiveUsers();
    });
}
