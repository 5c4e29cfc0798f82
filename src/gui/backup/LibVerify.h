#pragma once
// The Verify Backup window: the proof of the configured backup, read-only,
// over the same verify as `rezud verify`. "Read every file" re-reads the
// bytes of every file against their digests. It shows the count of each
// kind of finding and the report with what to do, and records the verify
// for the console. VerifyBackup is the verify itself.
#include "gui/app/UiContext.h"

#include "gui/ui/WalkDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include <cstdint>
#include <string>

struct VerifyReport;

class LibVerify : public WalkDialog {
    Q_OBJECT
public:
    LibVerify(UiContext& ui, std::string backup, QWidget* parent = nullptr);

private:
    void Start();
    void Progress(const std::string& stage, std::int64_t done, std::int64_t total);
    void ShowCounts(const VerifyReport& report);
    void Record(const VerifyReport& report);

    UiContext& ui_;
    std::string backup_;
    QLabel* lbBackup;
    QCheckBox* chkReadData;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QTableWidget* lstCounts;
    QPlainTextEdit* Text1;
    QPushButton* cmdStart;
    QPushButton* cmdCopy;
    QPushButton* cmdOK;
};
