#include "gui/ui/FolderDialog.h"

#include "gui/ui/TextFit.h"

#include <QDir>
#include <QGridLayout>

#include <algorithm>

FolderDialog::FolderDialog(QWidget* owner, const FolderRequest& request)
    : QFileDialog(owner, QString::fromStdString(request.title)), status_(new QLabel(this))
{
    setObjectName("FolderDialog");
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ShowDirsOnly, true);
    setFileMode(QFileDialog::Directory);
    status_->setObjectName("lbFolderStatus");
    if (!request.initialPath.empty()) {
        const QString initial = QString::fromStdString(request.initialPath);
        setDirectory(QFileInfo(initial).isDir() ? initial : QFileInfo(initial).absolutePath());
        selectFile(initial);
        ShowStatusFor(initial);
    }
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(status_, grid->rowCount(), 0, 1, grid->columnCount());
    connect(this, &QFileDialog::currentChanged, this, &FolderDialog::ShowStatusFor);
    // Wide enough for the name, size, kind and date columns at any font.
    resize(std::max(width(), CharsWide(this, 110)), std::max(height(), fontMetrics().height() * 28));
}

void FolderDialog::ShowStatusFor(const QString& path)
{
    // Blank for anything that is not a folder on disk.
    status_->setText(QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString());
}

std::optional<std::string> RunFolderDialog(const FolderRequest& request)
{
    QWidget* owner = request.owner > 0 ? QWidget::find(static_cast<WId>(request.owner)) : nullptr;
    FolderDialog dialog(owner, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::cleanPath(chosen).toStdString();
}
