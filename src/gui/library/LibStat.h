#pragma once
// The statistics window: walks the library and shows the report. The
// backup reads the totals from its public variables after it closes.
#include "gui/app/UiContext.h"

#include "gui/ui/WalkDialog.h"

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <cstdint>
#include <string>

class LibStat : public WalkDialog {
    Q_OBJECT
public:
    explicit LibStat(UiContext& ui, QWidget* parent = nullptr);

    std::string gm_sNodeLevel;
    std::string gm_sNodeID;
    std::int64_t gm_lnFileCount = 0;
    std::int64_t gm_lnFileSize = 0;

    void Start();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Activate();

    UiContext& ui_;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPlainTextEdit* Text1;
    QPushButton* cmdOK;
    QPushButton* Command2;
};
