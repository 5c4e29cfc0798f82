// The controls of "Maintain Users" and their layout. They are made in
// reading order, which is the order of the Tab key.
#include "gui/users/User_Admin.h"

#include "gui/ui/DialogKeys.h"
#include "gui/ui/TextFit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel* AddLabel(QWidget* parent, const char* name, const char* text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A row of the page's two buttons, left-aligned.
QHBoxLayout* ButtonRow(QWidget* first, QWidget* second)
{
    auto* row = new QHBoxLayout;
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch();
    return row;
}

} // namespace

UserStdButton* User_Admin::AddButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new UserStdButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// A box wide enough for the characters it takes.
QLineEdit* User_Admin::AddBox(QWidget* parent, const char* name, int maxLength)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    box->setMinimumWidth(CharsWide(box, maxLength + 2));
    return box;
}

void User_Admin::BuildControls()
{
    setObjectName("User_Admin");
    setWindowTitle("Maintain Users");
    QLabel* label = AddLabel(this, "Label2", "User Name");
    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setMinimumContentsLength(27);
    label->setBuddy(Combo1);
    usbNew = AddButton(this, "usbNew", "&New");
    usbDelete = AddButton(this, "usbDelete", "&Delete");

    FrameTab = new QGroupBox(this);
    FrameTab->setObjectName("FrameTab");
    Tab1 = new QTabWidget(FrameTab);
    Tab1->setObjectName("Tab1");
    auto* frameLayout = new QVBoxLayout(FrameTab);
    frameLayout->addWidget(Tab1);
    BuildDetailPage();
    BuildPasswordPage();
    Tab1->addTab(pic1, "Detail");
    Tab1->addTab(pic2, "Password");
    TurnPagesFromAnywhere(Tab1);
    usbClose = AddButton(this, "usbClose", "Cl&ose");

    auto* commands = new QVBoxLayout;
    commands->addWidget(usbNew);
    commands->addWidget(usbDelete);
    commands->addStretch();
    commands->addWidget(usbClose);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(Combo1, 0, 1);
    layout->addWidget(FrameTab, 1, 0, 1, 2);
    layout->addLayout(commands, 0, 2, 2, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(1, 1);
}

void User_Admin::BuildDetailPage()
{
    pic1 = new QWidget;
    pic1->setObjectName("pic1");
    QLabel* nameLabel = AddLabel(pic1, "lbUserName", "Name  (ie. Mike Smith)");
    tbUserName = AddBox(pic1, "tbUserName", 25);
    nameLabel->setBuddy(tbUserName);
    QLabel* loginLabel = AddLabel(pic1, "lbLoginID", "Login ID  (ie. mike)");
    tbLoginID = AddBox(pic1, "tbLoginID", 15);
    loginLabel->setBuddy(tbLoginID);
    usbSaveDetail = AddButton(pic1, "usbSaveDetail", "&Save");
    usbCancel = AddButton(pic1, "usbCancel", "&Abort");
    usbCancel->hide();

    auto* layout = new QVBoxLayout(pic1);
    layout->addWidget(nameLabel);
    layout->addWidget(tbUserName, 0, Qt::AlignLeft);
    layout->addWidget(loginLabel);
    layout->addWidget(tbLoginID, 0, Qt::AlignLeft);
    layout->addStretch();
    layout->addLayout(ButtonRow(usbSaveDetail, usbCancel));
}

void User_Admin::BuildPasswordPage()
{
    pic2 = new QWidget;
    pic2->setObjectName("pic2");
    auto* boxes = new QGridLayout;
    const char* captions[] = {"Old", "New", "Verify"};
    for (int i = 0; i < 3; ++i) {
        const std::string index = std::to_string(i);
        QLabel* label = AddLabel(pic2, ("lbText1_" + index).c_str(), captions[i]);
        // Shown as typed: the administrator sets them for someone else.
        Text1[i] = AddBox(pic2, ("Text1_" + index).c_str(), static_cast<int>(UserMsg::kMaxPasswordLength));
        label->setBuddy(Text1[i]);
        boxes->addWidget(label, i, 0);
        boxes->addWidget(Text1[i], i, 1, Qt::AlignLeft);
    }
    boxes->setColumnStretch(1, 1);
    usbSavePw = AddButton(pic2, "usbSavePw", "&Save");
    usbClearPw = AddButton(pic2, "usbClearPw", "&Reset");

    auto* layout = new QVBoxLayout(pic2);
    layout->addLayout(boxes);
    layout->addStretch();
    layout->addLayout(ButtonRow(usbSavePw, usbClearPw));
}
