#include "gui/app/LibAdminMain.h"

#include "core/app/CommandRules.h"
#include "core/backup/BackupHealth.h"
#include "core/base/MyErrHandler.h"
#include "core/library/LibSelection.h"
#include "core/library/Library.h"
#include "core/offsite/LastOffsite.h"
#include "core/users/InitialPassword.h"
#include "gui/app/ConsoleCommands.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include <ctime>

namespace {

// A path too long for its box shows its beginning, where the library is named.
void ShowFromStart(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

// Room for a usual library path at any font.
int PathBoxWidth(const QWidget* box) { return box->fontMetrics().averageCharWidth() * 48; }

constexpr int kCommandColumns = 3;
} // namespace

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
    tbActiveLib_->setMinimumWidth(PathBoxWidth(tbActiveLib_));
    auto* description = new QLabel("Description", frame);
    description->setObjectName("Label2");
    tbLibDesc_ = new QLineEdit(frame);
    tbLibDesc_->setObjectName("tbLibDesc");
    tbLibDesc_->setReadOnly(true);
    location->setBuddy(tbActiveLib_);
    description->setBuddy(tbLibDesc_);
    grid->addWidget(location, 0, 0);
    grid->addWidget(tbActiveLib_, 0, 1);
    grid->addWidget(description, 1, 0);
    grid->addWidget(tbLibDesc_, 1, 1);
    layout->addWidget(frame);

    lbStatus_ = new QLabel(this);
    lbStatus_->setObjectName("lbStatus");
    layout->addWidget(lbStatus_);
    // Lines of their own, so the status keeps its own texts as they are.
    lbInitialPassword_ = new QLabel(kInitialPasswordNotice, this);
    lbInitialPassword_->setObjectName("lbInitialPassword");
    lbInitialPassword_->setWordWrap(true);
    lbInitialPassword_->hide();
    layout->addWidget(lbInitialPassword_);
    lbLastBackup_ = new QLabel(this);
    lbLastBackup_->setObjectName("lbLastBackup");
    lbLastBackup_->setWordWrap(true);
    lbLastBackup_->hide();
    layout->addWidget(lbLastBackup_);
    for (QLabel** line : {&lbBackupOwed_, &lbLastVerify_}) {
        *line = new QLabel(this);
        (*line)->hide();
        layout->addWidget(*line);
    }
    lbBackupOwed_->setObjectName("lbBackupOwed");
    lbLastVerify_->setObjectName("lbLastVerify");
    // Three columns, in reading order: the console with every notice fits a
    // screen at 200 % with a large font.
    commands_ = new QGridLayout;
    layout->addLayout(commands_);
    Wire();
    Load();
}

QPushButton* LibAdminMain::AddCommand(const char* name, const char* caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    const int placed = commands_->count();
    commands_->addWidget(button, placed / kCommandColumns, placed % kCommandColumns);
    return button;
}

void LibAdminMain::Wire()
{
    // The gates of each command are the core's, the same for the command line.
    struct Command {
        const CommandRule& rule;
        const char* caption;
        void (*run)(LibAdminMain&);
    };
    const Command commands[] = {
        {Commands::kSelectLib, "Select &Active Library", RunSelectLib},
        {Commands::kCreateLib, "Create &Document Library", RunCreateLib},
        {Commands::kLibDesc, "Library Description", RunLibDesc},
        {Commands::kUsers, "&User Account", RunUsers},
        {Commands::kGroups, "User &Group", RunGroups},
        {Commands::kPublishLib, "&Backup Document Library", RunPublishLib},
        {Commands::kCompact, "&Compact && Repair Library", RunCompact},
        {Commands::kResetDoc, "Reset Document &Locks", RunResetDoc},
        {Commands::kResetUser, "&Reset Active User List", RunResetUser},
        {Commands::kMiscSetting, "Misc &Settting", RunMiscSetting},
        {Commands::kCheckLib, "Chec&k Library", RunCheckLib},
        {Commands::kVerifyBackup, "&Verify Backup", RunVerifyBackup},
        {Commands::kRestoreLib, "R&estore Library", RunRestoreLib},
    };
    for (const Command& c : commands) {
        QPushButton* button = AddCommand(c.rule.name, c.caption);
        if (c.rule.library) libraryCommands_.append(button);
        const std::string procName = std::string("LibAdminMain.") + c.rule.name + "_Click";
        // The command's error trap: no exception leaves the event.
        connect(button, &QPushButton::clicked, this, [this, c, procName, button] {
            Trapped(App().prompter, procName, [&] {
                if (c.rule.login && !CheckAdminLogin()) return;
                if (c.rule.warning) WarnLibInUse();
                c.run(*this);
            });
            // A command may have changed the password, the library or its backup.
            ShowInitialPasswordNotice();
            ShowLastBackup();
            TakeBackFocus(button);
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
    ShowFromStart(tbActiveLib_, QString::fromStdString(active ? sLibPath : kNoLibrary));
    for (QPushButton* button : libraryCommands_) button->setEnabled(active);
    ShowFromStart(tbLibDesc_, active ? QString::fromStdString(GetLibExtraInfo(App(), "3")) : QString());
    shownLibPath_ = sLibPath;
    ShowInitialPasswordNotice();
    ShowLastBackup();
}

// When a backup path is set: the last backup of the shown library, and a
// warning when there is none or it is old; the documents it owes and its
// last verify, when there are any.
void LibAdminMain::ShowLastBackup()
{
    const std::string backupPath = shownLibPath_.empty() ? std::string() : ReadLibPaths(App()).backupPath;
    const BackupHealth health =
        backupPath.empty() ? BackupHealth{}
                           : BackupHealthOf(App().state.stateDir, backupPath, shownLibPath_, std::time(nullptr));
    std::string lastBackup = health.lastBackup;
    if (!backupPath.empty()) {
        const LastOffsite offsite = LastOffsiteOf(backupPath, std::time(nullptr));
        if (ShowsLastOffsite(offsite, App().state.settings)) lastBackup += "\n" + LastOffsiteLine(offsite);
        if (const auto warning = LastOffsiteWarning(offsite)) lastBackup += "\n" + *warning;
    }
    const std::pair<QLabel*, const std::string&> lines[] = {
        {lbLastBackup_, lastBackup}, {lbBackupOwed_, health.owed}, {lbLastVerify_, health.lastVerify}};
    for (const auto& [label, text] : lines) {
        label->setText(QString::fromStdString(text));
        label->setVisible(!text.empty());
    }
}

void LibAdminMain::ShowInitialPasswordNotice()
{
    lbInitialPassword_->setVisible(AdminHasInitialPassword(shownLibPath_));
}

// However a modal window closed, the keys work on the console again at once.
void LibAdminMain::TakeBackFocus(QPushButton* button)
{
    activateWindow();
    if (button->isEnabled())
        button->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
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

void LibAdminMain::WarnLibInUse() { App().prompter.MsgBox(kLibInUseWarning, MsgButtons::Ok, MsgIcon::Exclamation); }

void LibAdminMain::SetStatus(const std::string& text) { lbStatus_->setText(QString::fromStdString(text)); }

void SayNotAvailable(LibAdminMain& console, const char* command)
{
    console.App().prompter.MsgBox(std::string(command) + " is not available yet.", MsgButtons::Ok,
                                  MsgIcon::Information);
}
