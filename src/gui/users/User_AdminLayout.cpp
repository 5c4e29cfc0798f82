// The controls of "Maintain Users" and where they sit (pixels; the pages
// are placed by PlacePage).
#include "gui/users/User_Admin.h"

#include <QLabel>

namespace {
// Twips to pixels, 15 twips a pixel.
constexpr int Px(int twips) { return twips / 15; }
} // namespace

UserStdButton* User_Admin::AddButton(QWidget* parent, const char* name, const char* caption, int x, int y)
{
    auto* button = new UserStdButton(caption, parent);
    button->setObjectName(name);
    button->move(x, y);
    return button;
}

QLineEdit* User_Admin::AddBox(QWidget* parent, const char* name, int maxLength, int x, int y, int width)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    box->setGeometry(x, y, width, 24);
    return box;
}

void User_Admin::AddLabel(QWidget* parent, const char* name, const char* text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(x, y, 240, 20);
}

void User_Admin::BuildControls()
{
    setObjectName("User_Admin");
    setWindowTitle("Maintain Users");
    AddLabel(this, "Label2", "User Name", 12, 14);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    Combo1->setGeometry(90, 12, 228, 24);
    usbNew = AddButton(this, "usbNew", "&New", 332, 10);
    usbDelete = AddButton(this, "usbDelete", "&Delete", 332, 44);
    usbClose = AddButton(this, "usbClose", "Cl&ose", 332, 282);

    FrameTab = new QGroupBox(this);
    FrameTab->setObjectName("FrameTab");
    FrameTab->setGeometry(12, 46, 306, 264);
    Tab1 = new TabStrip(FrameTab);
    Tab1->setObjectName("Tab1");
    Tab1->setGeometry(8, 12, 290, 244);
    Tab1->AddTab("Detail");
    Tab1->AddTab("Password");
    BuildDetailPage();
    BuildPasswordPage();
    setFixedSize(428, 322);
}

void User_Admin::BuildDetailPage()
{
    pic1 = new QWidget(FrameTab);
    pic1->setObjectName("pic1");
    AddLabel(pic1, "lbUserName", "Name  (ie. Mike Smith)", 8, 8);
    tbUserName = AddBox(pic1, "tbUserName", 25, 8, 28, 250);
    AddLabel(pic1, "lbLoginID", "Login ID  (ie. mike)", 8, 62);
    tbLoginID = AddBox(pic1, "tbLoginID", 15, 8, 82, 150);
    usbSaveDetail = AddButton(pic1, "usbSaveDetail", "&Save", 8, 150);
    usbCancel = AddButton(pic1, "usbCancel", "&Abort", 100, 150);
    usbCancel->hide();
}

void User_Admin::BuildPasswordPage()
{
    pic2 = new QWidget(FrameTab);
    pic2->setObjectName("pic2");
    const char* captions[] = {"Old", "New", "Verify"};
    for (int i = 0; i < 3; ++i) {
        const std::string index = std::to_string(i);
        AddLabel(pic2, ("lbText1_" + index).c_str(), captions[i], 8, 14 + 36 * i);
        // Shown as typed: the administrator sets them for someone else.
        Text1[i] = AddBox(pic2, ("Text1_" + index).c_str(), static_cast<int>(UserMsg::kMaxPasswordLength), 70,
                          10 + 36 * i, 160);
    }
    usbSavePw = AddButton(pic2, "usbSavePw", "&Save", 8, 150);
    usbClearPw = AddButton(pic2, "usbClearPw", "&Reset", 100, 150);
    pic2->hide();
}

void User_Admin::PlacePage(QWidget& page, const TabStrip& tab)
{
    const QRect client = tab.ClientArea();
    page.setGeometry(client.left() + Px(70), client.top() + Px(60), client.width() - Px(130),
                     client.height() - Px(110));
    page.raise();
}
