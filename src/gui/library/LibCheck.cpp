#include "gui/library/LibCheck.h"

#include "core/common/Text.h"
#include "core/library/LibraryCheck.h"
#include "gui/ui/FindingsView.h"
#include "gui/ui/TextFit.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

LibCheck::LibCheck(UiContext& ui, QWidget* parent)
    : WalkDialog(parent), ui_(ui), Label1(new QLabel("Working ...", this)), ProgressBar1(new QProgressBar(this)),
      lstCounts(MakeFindingsTable(this)), Text1(MakeReportView(this)), cmdCopy(new QPushButton("&Copy Report", this)),
      cmdOK(new QPushButton("&OK", this))
{
    setObjectName("LibCheck");
    setWindowTitle("Check Library");
    Label1->setObjectName("Label1");
    ProgressBar1->setObjectName("ProgressBar1");
    cmdCopy->setObjectName("cmdCopy");
    cmdOK->setObjectName("cmdOK");
    // Enter closes the window, wherever the focus is; copying is a choice.
    cmdCopy->setAutoDefault(false);
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(lstCounts, 2);
    layout->addWidget(Text1, 3);
    layout->addLayout(buttons);
    // A report's width at any font, as tall as the screen allows.
    resize(QSize(CharsWide(this, 90), fontMetrics().height() * 32).boundedTo(ScreenRoom(*this)));
    cmdCopy->setEnabled(false);
    cmdOK->setEnabled(false);
    connect(cmdCopy, &QPushButton::clicked, this, &LibCheck::CopyReport);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

void LibCheck::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &LibCheck::Start);
}

void LibCheck::Start()
{
    running_ = true;
    const CheckReport report = CheckLibrary(
        ui_.app.state.gsActiveLibPath, {},
        [this](const std::string& stage, std::int64_t done, std::int64_t total) { Progress(stage, done, total); });
    ShowCounts(report);
    Text1->setPlainText(QString::fromStdString(RenderCheckText(report)));
    Label1->setText(report.Failed()        ? "The check is incomplete: see the end of the report."
                    : report.HasFindings() ? QString::fromStdString(CountOf(report.findings.size(), "finding"))
                                           : "No findings: the library is clean.");
    ProgressBar1->hide();
    cmdCopy->setEnabled(true);
    cmdOK->setEnabled(true);
    cmdOK->setFocus();
    running_ = false;
}

void LibCheck::Progress(const std::string& stage, std::int64_t done, std::int64_t total)
{
    ShowWalkProgress(*Label1, *ProgressBar1, stage, done, total);
}

// The kinds found, in the report's order.
void LibCheck::ShowCounts(const CheckReport& report)
{
    std::vector<std::pair<std::string, std::int64_t>> counts;
    for (std::size_t i = 0; i < kFindingKinds; ++i) {
        const auto kind = static_cast<FindingKind>(i);
        counts.emplace_back(KindTitle(kind), report.Count(kind));
    }
    ShowFindingCounts(*lstCounts, counts);
}

void LibCheck::CopyReport() { QApplication::clipboard()->setText(Text1->toPlainText()); }
