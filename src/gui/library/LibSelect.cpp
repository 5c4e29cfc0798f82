#include "gui/library/LibSelect.h"

#include "core/base/MyErrHandler.h"
#include "core/library/LibSelection.h"
#include "gui/ui/TextFit.h"
#include "gui/ui/cBrowseFolder.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

LibSelect::LibSelect(UiContext& ui, QWidget* parent) : QDialog(parent), ui_(ui)
{
    setObjectName("LibSelect");
    setWindowTitle("Select Library");
    auto* frame = new QGroupBox(this);
    frame->setObjectName("Frame1");
    auto* grid = new QGridLayout(frame);
    auto* label1 = new QLabel("Active Library Path", frame);
    label1->setObjectName("Label1");
    tbLibPath_ = new QLineEdit(frame);
    tbLibPath_->setObjectName("tbLibPath");
    tbLibPath_->setMinimumWidth(CharsWide(tbLibPath_, 48));
    QPushButton* command1 = MakeButton(frame, "Command1", "...");
    auto* label2 = new QLabel("Backup Library Path", frame);
    label2->setObjectName("Label2");
    tbLibPathBackup_ = new QLineEdit(frame);
    tbLibPathBackup_->setObjectName("tbLibPathBackup");
    QPushButton* command4 = MakeButton(frame, "Command4", "...");
    label1->setBuddy(tbLibPath_);
    label2->setBuddy(tbLibPathBackup_);
    grid->addWidget(label1, 0, 0, 1, 2);
    grid->addWidget(tbLibPath_, 1, 0);
    grid->addWidget(command1, 1, 1);
    grid->addWidget(label2, 2, 0, 1, 2);
    grid->addWidget(tbLibPathBackup_, 3, 0);
    grid->addWidget(command4, 3, 1);

    QPushButton* ok = MakeButton(this, "cmdOK", "OK");
    QPushButton* cancel = MakeButton(this, "cmdCancel", "Cancel");
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    // Esc closes the window as Cancel does (QDialog's own key handling).
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &LibSelect::OnOK);
    connect(command1, &QPushButton::clicked, this, [this] { BrowseInto(tbLibPath_, "LibSelect.Command1_Click"); });
    connect(command4, &QPushButton::clicked, this,
            [this] { BrowseInto(tbLibPathBackup_, "LibSelect.Command4_Click"); });
    Load();
}

void LibSelect::Load()
{
    CenterOnScreen();
    Trapped(ui_.app.prompter, "LibSelect.Form_Load", [&] {
        const LibPaths paths = ReadLibPaths(ui_.app);
        tbLibPath_->setText(QString::fromStdString(paths.libPath));
        tbLibPathBackup_->setText(QString::fromStdString(paths.backupPath));
    });
}

void LibSelect::CenterOnScreen()
{
    adjustSize();
    const QScreen* screen = this->screen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void LibSelect::BrowseInto(QLineEdit* box, const char* procName)
{
    Trapped(ui_.app.prompter, procName, [&] {
        cBrowseFolder browser(ui_.app.prompter);
        browser.Init(box->text().toStdString(), static_cast<std::intptr_t>(winId()), "Select a folder");
        if (browser.Browse()) box->setText(QString::fromStdString(browser.SelectedPath()));
    });
}

void LibSelect::OnOK()
{
    Trapped(ui_.app.prompter, "LibSelect.cmdOK_Click", [&] {
        switch (SaveLibPaths(ui_.app, tbLibPath_->text().toStdString(), tbLibPathBackup_->text().toStdString())) {
        case LibPathField::None:
            accept();
            return;
        case LibPathField::LibPath:
            tbLibPath_->setFocus();
            return;
        case LibPathField::BackupPath:
            tbLibPathBackup_->setFocus();
            return;
        }
    });
}
