#include "gui/users/User_Group.h"

#include "core/base/MyErrHandler.h"
#include "core/common/Text.h"
#include "gui/common/Enter_Input.h"
#include "gui/ui/OpenerTrap.h"

#include "gui/ui/TextFit.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
// The entry the person selected; -1 when none.
int SelectedRow(const QListWidget& list)
{
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.front());
}

std::int64_t IdOf(const QListWidget& list, int row) { return list.item(row)->data(Qt::UserRole).toLongLong(); }
} // namespace

User_Group::User_Group(UiContext& ui, QWidget* parent) : QDialog(parent), ui_(ui), groups_(ui.app)
{
    BuildControls();
    Wire();
    Form_Load();
}

UserStdButton* User_Group::AddButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new UserStdButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QListWidget* User_Group::AddList(QGridLayout* grid, const char* name, const char* labelName, const char* label,
                                 int column)
{
    auto* caption = new QLabel(label, Frame2);
    caption->setObjectName(labelName);
    auto* list = new QListWidget(Frame2);
    list->setObjectName(name);
    list->setMinimumWidth(CharsWide(list, 24));
    list->installEventFilter(this);
    caption->setBuddy(list);
    grid->addWidget(caption, 0, column);
    grid->addWidget(list, 1, column);
    return list;
}

// Made in reading order, which is the order of the Tab key.
void User_Group::BuildControls()
{
    setObjectName("User_Group");
    setWindowTitle("Maintain User Groups");
    auto* label = new QLabel("User Group", this);
    label->setObjectName("Label3");
    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    // A group name of 25 characters shows whole.
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setMinimumContentsLength(27);
    label->setBuddy(Combo1);
    usbNew = AddButton(this, "usbNew", "&New");
    usbRename = AddButton(this, "usbRename", "R&ename");
    usbDelete = AddButton(this, "usbDelete", "&Delete");

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName("Frame2");
    auto* lists = new QGridLayout(Frame2);
    List1 = AddList(lists, "List1", "Label1", "All Users ", 0);
    auto* moves = new QVBoxLayout;
    usbAdd = AddButton(Frame2, "usbAdd", "&Add >>");
    usbRemove = AddButton(Frame2, "usbRemove", "<< &Remove");
    moves->addStretch();
    moves->addWidget(usbAdd);
    moves->addWidget(usbRemove);
    moves->addStretch();
    lists->addLayout(moves, 1, 1);
    List2 = AddList(lists, "List2", "Label2", "Users belong to this group", 2);
    usbClose = AddButton(this, "usbClose", "&Close");

    auto* commands = new QVBoxLayout;
    for (UserStdButton* button : {usbNew, usbRename, usbDelete}) commands->addWidget(button);
    commands->addStretch();
    commands->addWidget(usbClose);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(Combo1, 0, 1);
    layout->addWidget(Frame2, 1, 0, 1, 2);
    layout->addLayout(commands, 0, 2, 2, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(1, 1);
}

void User_Group::Wire()
{
    connect(Combo1, &QComboBox::activated, this, &User_Group::Combo1_Click);
    connect(List2, &QListWidget::currentRowChanged, this, ToOpenersTrap(this, &User_Group::List2_Click));
    connect(usbAdd, &UserStdButton::Click, this, &User_Group::usbAdd_Click);
    connect(usbRemove, &UserStdButton::Click, this, &User_Group::usbRemove_Click);
    connect(usbNew, &UserStdButton::Click, this, &User_Group::usbNew_Click);
    connect(usbRename, &UserStdButton::Click, this, &User_Group::usbRename_Click);
    connect(usbDelete, &UserStdButton::Click, this, &User_Group::usbDelete_Click);
    connect(usbClose, &UserStdButton::Click, this, &QDialog::close);
}

// At most one of the two lists shows a selection once the focus moved.
bool User_Group::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        QListWidget* other = watched == List1 ? List2 : watched == List2 ? List1 : nullptr;
        if (other && SelectedRow(*other) >= 0) other->setCurrentRow(-1);
    }
    return QDialog::eventFilter(watched, event);
}

void User_Group::SelectEntry(int index)
{
    const QSignalBlocker quiet(Combo1);
    Combo1->setCurrentIndex(index);
    Combo1_Click();
}

void User_Group::Form_Load()
{
    Trapped(ui_.app.prompter, "User_Group.Form_Load", [&] {
        RefreshGroupCombo();
        if (Combo1->count() == 0) return;
        SelectEntry(0);
        m_sGroupID = std::to_string(Combo1->itemData(0).toLongLong());
        RefreshNonMembers();
        RefreshMembers();
    });
}

void User_Group::RefreshGroupCombo()
{
    const std::vector<ListEntry> groups = groups_.Groups();
    Combo1->clear();
    for (const ListEntry& group : groups) Combo1->addItem(QString::fromStdString(group.text), qlonglong(group.id));
}

void User_Group::Fill(QListWidget& list, const std::vector<ListEntry>& entries)
{
    for (const ListEntry& entry : entries) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry.text), &list);
        item->setData(Qt::UserRole, qlonglong(entry.id));
    }
}

void User_Group::RefreshNonMembers()
{
    List1->clear();
    if (!m_sGroupID.empty()) Fill(*List1, groups_.NonMembers(m_sGroupID));
}

void User_Group::RefreshMembers()
{
    List2->clear();
    if (!m_sGroupID.empty()) Fill(*List2, groups_.Members(m_sGroupID));
}

void User_Group::Combo1_Click()
{
    Trapped(ui_.app.prompter, "User_Group.Combo1_Click", [&] {
        const int index = Combo1->currentIndex();
        if (index < 0) return;
        m_nGroupIndex = index;
        const std::int64_t id = Combo1->itemData(index).toLongLong();
        m_sGroupID = std::to_string(id);
        RefreshNonMembers();
        RefreshMembers();
        const bool locked = GroupMaintenance::IsProtected(id, Combo1->itemText(index).toStdString());
        usbDelete->SetEnabled(!locked);
        usbRename->SetEnabled(!locked);
    });
}

void User_Group::List2_Click()
{
    const int row = List2->currentRow();
    const std::string member = row < 0 ? std::string() : List2->item(row)->text().toStdString();
    usbRemove->SetEnabled(GroupMaintenance::CanRemove(member, Combo1->currentText().toStdString()));
}

void User_Group::usbAdd_Click()
{
    Trapped(ui_.app.prompter, "User_Group.usbAdd_Click", [&] {
        const int row = SelectedRow(*List1);
        if (row < 0) return;
        groups_.AddMember(m_sGroupID, IdOf(*List1, row));
        RefreshNonMembers();
        RefreshMembers();
    });
}

void User_Group::usbRemove_Click()
{
    Trapped(ui_.app.prompter, "User_Group.usbRemove_Click", [&] {
        const int row = SelectedRow(*List2);
        if (row < 0) return;
        if (!GroupMaintenance::CanRemove(List2->item(row)->text().toStdString(), Combo1->currentText().toStdString()))
            return;
        groups_.RemoveMember(m_sGroupID, IdOf(*List2, row));
        RefreshNonMembers();
        RefreshMembers();
    });
}

std::string User_Group::AskName(const char* prompt, const std::string& initial)
{
    Enter_Input input(this);
    input.sLabel = prompt;
    input.sInput = initial;
    ui_.dialogs.Run(input);
    return input.sInput;
}

void User_Group::usbNew_Click()
{
    Trapped(ui_.app.prompter, "User_Group.usbNew_Click", [&] {
        const std::string name = AskName(GroupMsg::kNewPrompt, "");
        if (name.empty() || !groups_.CreateGroup(name)) return;
        RefreshGroupCombo();
        if (Combo1->count() > 0) SelectEntry(0);
        RefreshNonMembers();
        RefreshMembers();
    });
}

void User_Group::usbRename_Click()
{
    Trapped(ui_.app.prompter, "User_Group.usbRename_Click", [&] {
        const std::string name = AskName(GroupMsg::kRenamePrompt, Trim(Combo1->currentText().toStdString()));
        if (name.empty() || !groups_.RenameGroup(m_sGroupID, name)) return;
        // The entry keeps its place; the list is sorted when next loaded.
        Combo1->setItemText(m_nGroupIndex, QString::fromStdString(name));
        SelectEntry(m_nGroupIndex);
    });
}

void User_Group::usbDelete_Click()
{
    Trapped(ui_.app.prompter, "User_Group.usbDelete_Click", [&] {
        if (Combo1->currentIndex() < 0) return;
        if (!groups_.DeleteGroup(m_sGroupID, Combo1->currentText().toStdString())) return;
        RefreshGroupCombo();
        m_sGroupID.clear();
        if (Combo1->count() > 0) {
            SelectEntry(0);
            m_sGroupID = std::to_string(Combo1->itemData(Combo1->currentIndex()).toLongLong());
        }
        RefreshNonMembers();
        RefreshMembers();
    });
}
