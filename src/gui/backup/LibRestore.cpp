#include "gui/backup/LibRestore.h"

#include "core/backup/LibraryRestore.h"
#include "core/base/MyErrHandler.h"
#include "gui/ui/FindingsView.h"
#include "gui/ui/ScreenFit.h"
#include "gui/ui/TextFit.h"
#include "gui/ui/cBrowseFolder.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
QString Ui(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }

QLabel* Labelled(const char* caption, QLineEdit* box)
{
    auto* label = new QLabel(caption, box->parentWidget());
    label->setBuddy(box);
    return label;
}
} // namespace

LibRestore::LibRestore(UiContext& ui, const std::string& backup, MakeActive makeActive, QWidget* parent)
    : WalkDialog(parent), ui_(ui), makeActive_(std::move(makeActive)),
      txtBackup(new QLineEdit(QString::fromStdString(backup), this)),
      cmdBrowseBackup(new QPushButton("Br&owse...", this)), txtDir(new QLineEdit(this)),
      cmdBrowseDir(new QPushButton("Bro&wse...", this)),
      Label1(new QLabel("Choose the backup and a new, empty directory for the library.", this)),
      ProgressBar1(new QProgressBar(this)), Text1(MakeReportView(this)), cmdStart(new QPushButton("&Restore", this)),
      cmdMakeActive(new QPushButton("&Make it the active library", this)), cmdOK(new QPushButton("&Close", this))
{
    setObjectName("LibRestore");
    setWindowTitle("Restore Library");
    txtBackup->setObjectName("txtBackup");
    txtDir->setObjectName("txtDir");
    cmdBrowseBackup->setObjectName("cmdBrowseBackup");
    cmdBrowseDir->setObjectName("cmdBrowseDir");
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->hide();
    cmdStart->setObjectName("cmdStart");
    cmdMakeActive->setObjectName("cmdMakeActive");
    cmdOK->setObjectName("cmdOK");
    for (auto* button : {cmdBrowseBackup, cmdBrowseDir, cmdStart, cmdMakeActive, cmdOK}) button->setAutoDefault(false);
    cmdStart->setDefault(true);
    auto* paths = new QFormLayout;
    paths->addRow(Labelled("&Backup", txtBackup), PathRow(txtBackup, cmdBrowseBackup));
    paths->addRow(Labelled("&Into", txtDir), PathRow(txtDir, cmdBrowseDir));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto* button : {cmdStart, cmdMakeActive, cmdOK}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(paths);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Text1, 1);
    layout->addLayout(buttons);
    connect(cmdBrowseBackup, &QPushButton::clicked, this, [this] { Browse(txtBackup, "Select the backup"); });
    connect(cmdBrowseDir, &QPushButton::clicked, this, [this] { Browse(txtDir, "Select a new, empty directory"); });
    connect(txtBackup, &QLineEdit::textChanged, this, &LibRestore::Ready);
    connect(txtDir, &QLineEdit::textChanged, this, &LibRestore::Ready);
    connect(cmdStart, &QPushButton::clicked, this, &LibRestore::Start);
    connect(cmdMakeActive, &QPushButton::clicked, this, &LibRestore::MakeItActive);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    Ready();
    FitOnScreen(*this, QSize(CharsWide(Text1, 90), CharsWide(Text1, 50)));
}

QHBoxLayout* LibRestore::PathRow(QLineEdit* box, QPushButton* browse)
{
    box->setMinimumWidth(CharsWide(box, 40));
    auto* row = new QHBoxLayout;
    row->addWidget(box, 1);
    row->addWidget(browse);
    return row;
}

// Both paths are needed; once restored, the window only offers what follows.
void LibRestore::Ready()
{
    const bool both = !txtBackup->text().trimmed().isEmpty() && !txtDir->text().trimmed().isEmpty();
    cmdStart->setEnabled(both && !restored_ && !running_);
    for (QWidget* w : {static_cast<QWidget*>(txtBackup), static_cast<QWidget*>(txtDir),
                       static_cast<QWidget*>(cmdBrowseBackup), static_cast<QWidget*>(cmdBrowseDir)})
        w->setEnabled(!restored_ && !running_);
    cmdMakeActive->setEnabled(restored_ && !running_);
    cmdOK->setEnabled(!running_);
}

void LibRestore::Browse(QLineEdit* box, const char* title)
{
    Trapped(ui_.app.prompter, "LibRestore.Browse", [&] {
        cBrowseFolder browser(ui_.app.prompter);
        browser.Init(box->text().toStdString(), static_cast<std::intptr_t>(winId()), title);
        if (browser.Browse()) box->setText(QString::fromStdString(browser.SelectedPath()));
    });
}

void LibRestore::Start()
{
    const std::string backup = txtBackup->text().trimmed().toStdString();
    const std::string dir = txtDir->text().trimmed().toStdString();
    running_ = true;
    Ready();
    Label1->setText("Library restore in progress ...");
    Text1->clear();
    ProgressBar1->setRange(0, 0);
    ProgressBar1->show();
    QApplication::processEvents();
    LibraryRestore restore(ui_.app.prompter, backup, dir);
    restore.onDone = [this](std::int64_t done) { Progress(done); };
    // Refusals and failures are told by the restore itself, as on the command line.
    restored_ = restore.Run(ui_.app.state.gsActiveLibPath);
    ProgressBar1->hide();
    if (restored_) {
        Label1->setText(QString::fromStdString(RestoreHeadline(restore.Totals())));
        Text1->setPlainText(Ui(restore.ReportText()));
    } else {
        Label1->setText("The library is not restored.");
    }
    running_ = false;
    Ready();
    (restored_ ? cmdMakeActive : cmdOK)->setFocus();
}

void LibRestore::Progress(std::int64_t done)
{
    // Repaint now and then: every file would slow a large restore.
    if (done % 64 != 0) return;
    Label1->setText(QString("Library restore in progress ... files restored: %1").arg(done));
    QApplication::processEvents();
}

void LibRestore::MakeItActive()
{
    const std::string dir = txtDir->text().trimmed().toStdString();
    if (!makeActive_ || !makeActive_(dir)) return;
    Label1->setText(QString::fromStdString("Active library: " + dir));
    cmdMakeActive->setEnabled(false);
    cmdOK->setDefault(true);
    cmdOK->setFocus();
}
