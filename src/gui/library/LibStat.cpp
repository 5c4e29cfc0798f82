#include "gui/library/LibStat.h"

#include "core/library/LibStatistics.h"
#include "gui/ui/OpenerTrap.h"
#include "gui/ui/TextFit.h"

#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>

LibStat::LibStat(UiContext& ui, QWidget* parent)
    : WalkDialog(parent), ui_(ui), Label1(new QLabel("Collecting data ... ", this)),
      ProgressBar1(new QProgressBar(this)), Text1(new QPlainTextEdit(this)), cmdOK(new QPushButton("&OK", this)),
      Command2(new QPushButton("Test Start", this))
{
    setObjectName("LibStat");
    setWindowTitle("Documents Statistics");
    Label1->setObjectName("Label1");
    ProgressBar1->setObjectName("ProgressBar1");
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
    cmdOK->setObjectName("cmdOK");
    Command2->setObjectName("Command2");
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Text1);
    layout->addStretch();
    layout->addWidget(cmdOK, 0, Qt::AlignHCenter);
    Text1->setMinimumSize(CharsWide(Text1, 56), Text1->fontMetrics().height() * 12);
    // Load: only the working label shows until the walk has finished.
    Text1->hide();
    cmdOK->hide();
    Command2->hide();
    Label1->setText("Working ...");
    ProgressBar1->hide();
    ProgressBar1->setMinimum(0);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command2, &QPushButton::clicked, this, ToOpenersTrap(this, &LibStat::Start));
}

void LibStat::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, ToOpenersTrap(this, &LibStat::Activate));
}

void LibStat::Activate()
{
    if (gm_sNodeID.empty() || gm_sNodeLevel.empty()) {
        reject();
        return;
    }
    Start();
}

void LibStat::Start()
{
    running_ = true;
    ProgressBar1->setValue(0);
    LibStatistics stats(ui_.app, [this](std::int64_t value, std::int64_t maximum) {
        if (!ProgressBar1->isVisible()) {
            ProgressBar1->setMaximum(static_cast<int>(std::min<std::int64_t>(maximum, INT32_MAX)));
            ProgressBar1->show();
        }
        ProgressBar1->setValue(static_cast<int>(std::min<std::int64_t>(value, INT32_MAX)));
        QApplication::processEvents();
    });
    const StatResult result = stats.Start(gm_sNodeID);
    gm_lnFileCount = result.fileCount;
    gm_lnFileSize = result.fileSizeKB;
    ProgressBar1->hide();
    Label1->hide();
    Text1->show();
    cmdOK->show();
    Text1->setPlainText(QString::fromStdString(result.report).replace("\r\n", "\n"));
    running_ = false;
}
