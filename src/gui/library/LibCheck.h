#pragma once
// The library check window: runs the read-only check of the active library
// when shown, then shows the count of each kind of finding and the report,
// which the administrator can copy. LibraryCheck is the check itself.
#include "gui/app/UiContext.h"

#include "gui/ui/WalkDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include <cstdint>
#include <string>

struct CheckReport;

class LibCheck : public WalkDialog {
    Q_OBJECT
public:
    explicit LibCheck(UiContext& ui, QWidget* parent = nullptr);

    void Start();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Progress(const std::string& stage, std::int64_t done, std::int64_t total);
    void ShowCounts(const CheckReport& report);
    void CopyReport();

    UiContext& ui_;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QTableWidget* lstCounts;
    QPlainTextEdit* Text1;
    QPushButton* cmdCopy;
    QPushButton* cmdOK;
};
