#pragma once
// The backup window: shows the statistics, waits for "Start", runs the
// backup and shows its three totals.
#include "core/backup/IsLogic.h"
#include "gui/app/UiContext.h"

#include "gui/ui/WalkDialog.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>

#include <cstdint>

class LibBackup : public WalkDialog {
    Q_OBJECT
public:
    explicit LibBackup(UiContext& ui, QWidget* parent = nullptr, FreeSpaceSource freeSpace = FileSystemFreeSpace);

    // Collects the statistics (their window first) and sets Ready or Empty.
    void Load();

    std::int64_t m_lnFileCount = 0;
    std::int64_t m_lnFileSize = 0;
    bool m_bBackupDone = false;

private:
    void Command1_Click();
    void RunBackup();
    void ShowReport(const QString& text);

    UiContext& ui_;
    FreeSpaceSource freeSpace_;
    QLabel* Label1;
    QScrollArea* Report;
    QProgressBar* ProgressBar1;
    QPushButton* Command1;
    QPushButton* Command2;
};
