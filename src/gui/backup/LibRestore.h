#pragma once
// The Restore Library window: a new library from a backup, into a new or
// empty directory, over the same restore as `rezud restore`, with the
// report, and "Make it the active library" once it is restored.
// LibraryRestore is the restore itself.
#include "gui/app/UiContext.h"

#include "gui/ui/WalkDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <cstdint>
#include <functional>
#include <string>

class LibRestore : public WalkDialog {
    Q_OBJECT
public:
    // Makes the restored library the active one; true when it is.
    using MakeActive = std::function<bool(const std::string& dir)>;
    LibRestore(UiContext& ui, const std::string& backup, MakeActive makeActive, QWidget* parent = nullptr);

private:
    QHBoxLayout* PathRow(QLineEdit* box, QPushButton* browse);
    void Browse(QLineEdit* box, const char* title);
    void Start();
    void Progress(std::int64_t done);
    void MakeItActive();
    void Ready();

    UiContext& ui_;
    MakeActive makeActive_;
    QLineEdit* txtBackup;
    QPushButton* cmdBrowseBackup;
    QLineEdit* txtDir;
    QPushButton* cmdBrowseDir;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPlainTextEdit* Text1;
    QPushButton* cmdStart;
    QPushButton* cmdMakeActive;
    QPushButton* cmdOK;
    bool restored_ = false;
};
