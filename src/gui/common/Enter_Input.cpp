#include "gui/common/Enter_Input.h"

#include "core/common/Text.h"
#include "gui/ui/DialogKeys.h"
#include "gui/ui/OpenerTrap.h"
#include "gui/ui/TextFit.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

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
    Label1->setBuddy(Text1);
    // A group name of 25 characters shows whole.
    Text1->setMinimumWidth(CharsWide(Text1, 36));
    cmdOK->setDefault(true);
    cmdCancel->setAutoDefault(false);
    PressOnEscape(cmdCancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Text1);
    layout->addLayout(buttons);
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
