#include "gui/app/Admin_Pass.h"

#include "core/app/AdminLogin.h"
#include "core/base/MyErrHandler.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/ui/TextFit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Admin_Pass::Admin_Pass(UiContext& ui, QWidget* parent) : QDialog(parent), ui_(ui)
{
    setObjectName("Admin_Pass");
    setWindowTitle("Admin Password");
    auto* frame = new QFrame(this);
    frame->setObjectName("Frame1");
    frame->setFrameShape(QFrame::StyledPanel);
    auto* label = new QLabel("Enter admin password:", frame);
    label->setObjectName("Label1");
    tbPass_ = new QLineEdit(frame);
    tbPass_->setObjectName("tbPass");
    tbPass_->setEchoMode(QLineEdit::Password);
    tbPass_->setStyleSheet("lineedit-password-character: 42"); // "*"
    tbPass_->setMinimumWidth(CharsWide(tbPass_, 30));
    label->setBuddy(tbPass_);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(label);
    inner->addWidget(tbPass_);

    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("Command1");
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &Admin_Pass::OnOK);
    tbPass_->clear();
}

void Admin_Pass::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    tbPass_->setFocus();
}

void Admin_Pass::OnOK()
{
    // The password is taken as typed: blanks count. A failure is reported and
    // the attempt counts as failed.
    const bool loggedIn = Trapped(ui_.app.prompter, "Admin_Pass.Command1_Click",
                                  [&] { return AdminLogin(ui_.app, tbPass_->text().toStdString()); });
    if (loggedIn)
        tbPass_->clear();
    else
        tbPass_->setFocus();
    done(loggedIn ? Accepted : Rejected);
}

void ShowAdminPass(LibAdminMain& console)
{
    Admin_Pass dialog(console.Ui(), &console);
    console.Ui().dialogs.Run(dialog);
}
