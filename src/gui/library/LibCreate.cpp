#include "gui/library/LibCreate.h"

#include "core/library/LibraryCreate.h"
#include "gui/ui/DialogKeys.h"
#include "gui/ui/OpenerTrap.h"
#include "gui/ui/TextFit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

LibCreate::LibCreate(AppContext& app, QWidget* parent) : QDialog(parent), app_(app)
{
    setObjectName("LibCreate");
    setWindowTitle("Specify New Library Location");
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(this);
    frame->setObjectName("Frame1");
    auto* grid = new QGridLayout(frame);
    auto* label = new QLabel("Path", frame);
    label->setObjectName("Label1");
    Text1_ = new QLineEdit("/", frame);
    Text1_->setObjectName("Text1");
    Text1_->setMinimumWidth(CharsWide(Text1_, 48));
    label->setBuddy(Text1_);
    auto* browse = new QPushButton("...", frame);
    browse->setObjectName("Command2");
    grid->addWidget(label, 0, 0);
    grid->addWidget(Text1_, 0, 1);
    grid->addWidget(browse, 0, 2);
    layout->addWidget(frame);

    auto* buttons = new QHBoxLayout;
    auto* create = new QPushButton("Create &Library Now", this);
    create->setObjectName("cmdCreate");
    create->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("Command1");
    cancel->setAutoDefault(false);
    // Esc is Cancel: it clears the chosen path, which the close box leaves.
    PressOnEscape(cancel);
    buttons->addStretch();
    buttons->addWidget(create);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(browse, &QPushButton::clicked, this, ToOpenersTrap(this, &LibCreate::Browse));
    connect(create, &QPushButton::clicked, this, ToOpenersTrap(this, &LibCreate::Create));
    connect(cancel, &QPushButton::clicked, this, &LibCreate::Cancel);
}

void LibCreate::Browse()
{
    const FolderRequest request{static_cast<std::intptr_t>(winId()), "Select a folder", Text1_->text().toStdString()};
    if (const auto chosen = app_.prompter.BrowseFolder(request)) Text1_->setText(QString::fromStdString(*chosen));
}

void LibCreate::Create()
{
    const NewLibPathCheck check = CheckNewLibPath(Text1_->text().toStdString());
    switch (check.result) {
    case NewLibPathCheck::Result::Blank:
        break;
    case NewLibPathCheck::Result::NotSpecified:
        app_.prompter.MsgBox(kPathNotSpecified, MsgButtons::Ok, MsgIcon::Exclamation);
        break;
    case NewLibPathCheck::Result::Ok:
        sCreateLibPath = check.path;
        accept();
        return;
    }
    Text1_->setFocus();
}

void LibCreate::Cancel()
{
    sCreateLibPath.clear();
    reject();
}
