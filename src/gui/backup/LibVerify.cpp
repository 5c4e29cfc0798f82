#include "gui/backup/LibVerify.h"

#include "core/backup/BackupVerify.h"
#include "core/backup/VerifyHistory.h"
#include "core/base/Prompter.h"
#include "gui/ui/FindingsView.h"
#include "gui/ui/ScreenFit.h"
#include "gui/ui/TextFit.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <ctime>

LibVerify::LibVerify(UiContext& ui, std::string backup, QWidget* parent)
    : WalkDialog(parent), ui_(ui), backup_(std::move(backup)),
      lbBackup(new QLabel(QString::fromStdString("Backup: " + backup_), this)),
      chkReadData(new QCheckBox("&Read every file (slow: re-reads every byte)", this)),
      Label1(new QLabel("Ready to verify.", this)), ProgressBar1(new QProgressBar(this)),
      lstCounts(MakeFindingsTable(this)), Text1(MakeReportView(this)), cmdStart(new QPushButton("&Verify", this)),
      cmdCopy(new QPushButton("&Copy Report", this)), cmdOK(new QPushButton("&Close", this))
{
    setObjectName("LibVerify");
    setWindowTitle("Verify Backup");
    lbBackup->setObjectName("lbBackup");
    lbBackup->setWordWrap(true);
    chkReadData->setObjectName("chkReadData");
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->hide();
    for (auto* button : {cmdStart, cmdCopy, cmdOK}) button->setAutoDefault(false);
    cmdStart->setObjectName("cmdStart");
    cmdStart->setDefault(true);
    cmdCopy->setObjectName("cmdCopy");
    cmdCopy->setEnabled(false);
    cmdOK->setObjectName("cmdOK");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto* button : {cmdStart, cmdCopy, cmdOK}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(lbBackup), static_cast<QWidget*>(chkReadData),
                       static_cast<QWidget*>(Label1), static_cast<QWidget*>(ProgressBar1)})
        layout->addWidget(w);
    layout->addWidget(lstCounts, 1);
    layout->addWidget(Text1, 3);
    layout->addLayout(buttons);
    connect(cmdStart, &QPushButton::clicked, this, &LibVerify::Start);
    connect(cmdCopy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(Text1->toPlainText()); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    FitOnScreen(*this, QSize(CharsWide(Text1, 90), CharsWide(Text1, 60)));
}

void LibVerify::Start()
{
    running_ = true;
    for (QWidget* w :
         {static_cast<QWidget*>(cmdStart), static_cast<QWidget*>(chkReadData), static_cast<QWidget*>(cmdOK)})
        w->setEnabled(false);
    ProgressBar1->show();
    VerifyOptions options;
    if (chkReadData->isChecked()) options.readData = VerifySubset::All();
    const VerifyReport report =
        VerifyBackup(backup_, options, [this](const std::string& stage, std::int64_t done, std::int64_t total) {
            Progress(stage, done, total);
        });
    ShowCounts(report);
    Text1->setPlainText(QString::fromStdString(RenderVerifyText(report)));
    Label1->setText(QString::fromStdString(VerifyHeadline(report)));
    ProgressBar1->hide();
    cmdCopy->setEnabled(true);
    cmdOK->setEnabled(true);
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    running_ = false;
    Record(report);
}

void LibVerify::Record(const VerifyReport& report)
{
    std::string why;
    if (!RecordVerify(ui_.app.state.stateDir, report, std::time(nullptr), &why))
        ui_.app.prompter.MsgBox(kVerifyNotRecorded + why, MsgButtons::Ok, MsgIcon::Exclamation);
}

void LibVerify::Progress(const std::string& stage, std::int64_t done, std::int64_t total)
{
    ShowWalkProgress(*Label1, *ProgressBar1, stage, done, total);
}

// The kinds found, in the report's order.
void LibVerify::ShowCounts(const VerifyReport& report)
{
    std::vector<std::pair<std::string, std::int64_t>> counts;
    for (std::size_t i = 0; i < kVerifyKinds; ++i) {
        const auto kind = static_cast<VerifyKind>(i);
        counts.emplace_back(VerifyKindTitle(kind), report.Count(kind));
    }
    ShowFindingCounts(*lstCounts, counts);
}
