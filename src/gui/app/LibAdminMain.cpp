#include "gui/app/LibAdminMain.h"

#include "core/base/MyErrHandler.h"
#include "core/library/Library.h"
#include "gui/app/ConsoleCommands.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace {
constexpr const char* kNoLibrary = "No valid library selected !";
}

LibAdminMain::LibAdminMain(UiContext& ui, QWidget* parent) : QWidget(parent), ui_(ui)
{
    setObjectName("LibAdminMain");
    setWindowTitle("Vellarch Admin Tool v2.1");
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel("Document Library Administration Utility", this);
    heading->setObjectName("Label1");
    QFont font = heading->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading);

    auto* frame = new QGroupBox("Current Active Library", this);
    frame->setObjectName("Frame1");
    auto* grid = new QGridLayout(frame);
    auto* location = new QLabel("Location", frame);
    location->setObjectName("Label3");
    tbActiveLib_ = new QLineEdit(frame);
    tbActiveLib_->setObjectName("tbActiveLib");
    tbActiveLib_->setReadOnly(true);
    auto* description = new QLabel("Description", frame);
    description->setObjectName("Label2");
    tbLibDesc_ = new QLineEdit(frame);
    tbLibDesc_->setObjectName("tbLibDesc");
    tbLibDesc_->setReadOnly(true);
    grid->addWidget(location, 0, 0);
    grid->addWidget(tbActiveLib_, 0, 1);
    grid->addWidget(description, 1, 0);
    grid->addWidget(tbLibDesc_, 1, 1);
    layout->addWidget(frame);

    lbStatus_ = new QLabel(this);
    lbStatus_->setObjectName("lbStatus");
    layout->addWidget(lbStatus_);
    Wire();
    resize(520, 560);
    Load();
}

QPushButton* LibAdminMain::AddCommand(const char* name, const char* caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setMinimumHeight(30);
    layout()->addWidget(button);
    return button;
}

void LibAdminMain::Wire()
{
    struct Command {
        const char* name;
        const char* caption;
        bool login;
        bool warning;
        bool library;
        void (*run)(LibAdminMain&);
    };
    const Command commands[] = {
        {"cmdSelectLib", "Select &Active Library", false, false, false, RunSelectLib},
        {"cmdCreateLib", "Create &Document Library", false, false, false, RunCreateLib},
        {"cmdLibDesc", "Library Description", false, false, true, RunLibDesc},
        {"cmdUsers", "&User Account", true, false, true, RunUsers},
        {"cmdGroups", "User &Group", true, false, true, RunGroups},
        {"cmdPublishLib", "&Backup Document Library", true, true, true, RunPublishLib},
        {"cmdCompact", "&Compact && Repair Library", false, true, true, RunCompact},
        {"cmdResetDoc", "Reset Document &Locks", true, true, true, RunResetDoc},
        {"cmdResetUser", "&Reset Active User List", true, false, true, RunResetUser},
        {"cmdMiscSetting", "Misc &Settting", true, false, true, RunMiscSetting},
    };
    for (const Command& c : commands) {
        QPushButton* button = AddCommand(c.name, c.caption);
        if (c.library) libraryCommands_.append(button);
        const std::string procName = std::string("LibAdminMain.") + c.name + "_Click";
        // The command's error trap: no exception leaves the event.
        connect(button, &QPushButton::clicked, this, [this, c, procName] {
            Trapped(App().prompter, procName, [&] {
                if (c.login && !CheckAdminLogin()) return;
                if (c.warning) WarnLibInUse();
                c.run(*this);
            });
        });
    }
    QPushButton* exit = AddCommand("cmdExit", "E&xit");
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
}

void LibAdminMain::Load()
{
    InitCommonControlsVB();
    try {
        lbStatus_->clear();
        tbActiveLib_->clear();
        tbLibDesc_->clear();
        RefreshLibStatus(LoadActiveLibrary(App()) ? App().state.gsActiveLibPath : std::string());
    } catch (...) {
        App().prompter.MsgBox("Error running Admin Tool", MsgButtons::Ok, MsgIcon::None);
    }
}

void LibAdminMain::RefreshLibStatus(const std::string& sLibPath)
{
    const bool active = !sLibPath.empty();
    tbActiveLib_->setText(QString::fromStdString(active ? sLibPath : kNoLibrary));
    for (QPushButton* button : libraryCommands_) button->setEnabled(active);
    tbLibDesc_->setText(active ? QString::fromStdString(GetLibExtraInfo(App(), "3")) : QString());
}

bool LibAdminMain::CheckAdminLogin()
{
    if (!App().state.AdminLoggedIn()) {
        ShowAdminPass(*this);
        SetStatus("Admin not logged in");
    }
    if (!App().state.AdminLoggedIn()) return false;
    SetStatus("*** Admin logged in ***");
    return true;
}

void LibAdminMain::WarnLibInUse()
{
    App().prompter.MsgBox("Before proceed with selected action, \r\n"
                          "please make sure that no one else is using the active library !",
                          MsgButtons::Ok, MsgIcon::Exclamation);
}

void LibAdminMain::SetStatus(const std::string& text) { lbStatus_->setText(QString::fromStdString(text)); }

void SayNotAvailable(LibAdminMain& console, const char* command)
{
    console.App().prompter.MsgBox(std::string(command) + " is not available yet.", MsgButtons::Ok,
                                  MsgIcon::Information);
}
