#include "gui/ui/QtPrompter.h"

#include "gui/ui/FolderDialog.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString FromCrLf(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }

} // namespace

MsgAnswer QtPrompter::MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title)
{
    QMessageBox box(ToQt(icon), QString::fromStdString(title), FromCrLf(text),
                    buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    const int answer = box.exec();
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

std::string QtPrompter::InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(QApplication::activeWindow(), QString::fromStdString(title), FromCrLf(prompt),
                              QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
    return ok ? answer.toStdString() : std::string();
}

std::optional<std::string> QtPrompter::BrowseFolder(const FolderRequest& request) { return RunFolderDialog(request); }
