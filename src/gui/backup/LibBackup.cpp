#include "gui/backup/LibBackup.h"

#include "core/backup/LibBackupRun.h"
#include "gui/library/LibStat.h"
#include "gui/ui/OpenerTrap.h"
#include "gui/ui/TextFit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
QString Ui(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }
int Bar(std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, INT32_MAX)); }
} // namespace

LibBackup::LibBackup(UiContext& ui, QWidget* parent, FreeSpaceSource freeSpace)
    : WalkDialog(parent), ui_(ui), freeSpace_(std::move(freeSpace)), Label1(new QLabel("Label1", this)),
      Report(new QScrollArea(this)), ProgressBar1(new QProgressBar(this)), Command1(new QPushButton("Close", this)),
      Command2(new QPushButton("Cancel", this))
{
    setObjectName("LibBackup");
    setWindowTitle("Library Backup");
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    ProgressBar1->setObjectName("ProgressBar1");
    Command1->setObjectName("Command1");
    Command2->setObjectName("Command2");
    // The report grows with the documents owed; past the screen it scrolls.
    Report->setObjectName("Report");
    Report->setWidget(Label1);
    Report->setWidgetResizable(true);
    Report->setFrameShape(QFrame::NoFrame);
    Report->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Report, 1);
    layout->addWidget(ProgressBar1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    Label1->setMinimumWidth(CharsWide(Label1, 60));
    connect(Command1, &QPushButton::clicked, this, ToOpenersTrap(this, &LibBackup::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

void LibBackup::Load()
{
    Label1->clear();
    show(); // visible behind the statistics window

    ProgressBar1->hide();
    Command1->hide();
    Command2->hide();
    Label1->setText("Collecting library statistics ... ");
    LibStat stat(ui_, this);
    stat.gm_sNodeLevel = "LIBRARY";
    stat.gm_sNodeID = "0";
    ui_.dialogs.Run(stat);
    m_lnFileSize = stat.gm_lnFileSize;
    m_lnFileCount = stat.gm_lnFileCount;
    m_bBackupDone = false;
    Command1->show();
    Command1->setEnabled(true);
    if (m_lnFileCount != 0) {
        Label1->setText(Ui("Ready to backup library to : \r\n" + ui_.app.state.gsBackupLibPath));
        Command1->setText("Start");
        Command2->show();
    } else {
        Label1->setText("Library has no document to backup ");
        Command1->setText("Exit");
    }
    hide();
}

void LibBackup::Command1_Click()
{
    if (m_lnFileCount == 0 || m_bBackupDone) {
        accept();
        return;
    }
    RunBackup();
}

void LibBackup::RunBackup()
{
    running_ = true;
    m_bBackupDone = true;
    Label1->setText("Library backup in progress ...");
    Command1->setText("Started...");
    Command1->setEnabled(false);
    Command2->hide();
    ProgressBar1->setMinimum(0);
    ProgressBar1->setMaximum(Bar(m_lnFileCount));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    LibBackupRun run(ui_.app, freeSpace_, [this](std::int64_t scanned) {
        // Repaint now and then: every document would slow a large walk.
        if (scanned % 64 != 0 && scanned != m_lnFileCount) return;
        ProgressBar1->setValue(Bar(std::min(scanned, m_lnFileCount)));
        QApplication::processEvents();
    });
    run.missingPath = MissingBackupPath::Ask;
    if (run.LibBackup(m_lnFileSize)) {
        // The end of the run, also when the walk reached fewer documents
        // than the statistics counted.
        ProgressBar1->setValue(ProgressBar1->maximum());
        ShowReport(Ui(run.ReportText()));
    } else {
        ProgressBar1->hide();
        ShowReport(run.Refusal().empty() ? QString(kBackupStopped) : Ui(kBackupRefused + run.Refusal()));
    }
    Command1->setText("Close");
    Command1->setEnabled(true);
    running_ = false;
}

// The window grows for every line, up to the screen; past it, they scroll.
void LibBackup::ShowReport(const QString& text)
{
    Label1->setText(text);
    const int rest = height() - Report->height();
    Report->setMinimumHeight(std::min(Label1->heightForWidth(Label1->width()), ScreenRoom(*this).height() - rest));
    FitToScreen(*this);
}
