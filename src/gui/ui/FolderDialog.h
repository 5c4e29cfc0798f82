#pragma once
// The modal directory picker: an owner, a title, an initial selection and a
// status line that follows the highlighted folder.
#include "core/base/Prompter.h"

#include <QFileDialog>
#include <QLabel>

// A non-native folder dialog with the status line below its views.
class FolderDialog : public QFileDialog {
    Q_OBJECT
public:
    FolderDialog(QWidget* owner, const FolderRequest& request);
    QString StatusText() const { return status_->text(); }

private:
    void ShowStatusFor(const QString& path);

    QLabel* status_;
};

std::optional<std::string> RunFolderDialog(const FolderRequest& request);
