#include "gui/common/Enter_Input.h"

#include "core/common/Text.h"
#include "gui/ui/OpenerTrap.h"

Enter_Input::Enter_Input(QWidget* parent)
    : QDialog(parent), Label1(new QLabel(this)), Text1(new QLineEdit(this)), cmdOK(new QPushButton("&OK", this)),
      cmdCancel(new QPushButton("&Cancel", this))
{
    setObjectName("Enter_Input");
    setWindowTitle("Enter Detail");
    Label1->setObjectName("Label1");
    Text1->setObjectName("Text1");
    cmdOK->setObjectName("cmdOK");
    cmdCancel->setObjectName("cmdCancel");
    Label1->setGeometry(12, 12, 300, 20);
    Text1->setGeometry(12, 36, 300, 24);
    cmdOK->setGeometry(136, 72, 84, 26);
    cmdCancel->setGeometry(228, 72, 84, 26);
    cmdOK->setDefault(true);
    cmdCancel->setAutoDefault(false);
    setFixedSize(324, 110);
    connect(cmdOK, &QPushButton::clicked, this, ToOpenersTrap(this, &Enter_Input::cmdOK_Click));
    connect(cmdCancel, &QPushButton::clicked, this, &Enter_Input::cmdCancel_Click);
}

// The caller sets the two texts after making the window; they show on load.
void Enter_Input::showEvent(QShowEvent* event)
{
    Label1->setText(QString::fromStdString(sLabel));
    Text1->setText(QString::fromStdString(sInput));
    Text1->selectAll();
    Text1->setFocus();
    QDialog::showEvent(event);
}

void Enter_Input::cmdOK_Click()
{
    // Blanks count as content here: a box of blanks answers the empty text.
    if (!Text1->text().isEmpty()) sInput = Trim(Text1->text().toStdString());
    accept();
}

void Enter_Input::cmdCancel_Click()
{
    sInput.clear();
    reject();
}
