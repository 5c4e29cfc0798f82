#pragma once
// The Qt boundary of a window handler that has no error trap of its own. No
// exception may pass through Qt's event delivery: one that leaves such a
// handler is kept on its window and the window closes; DialogRunner::Run
// throws it again once the window's event loop has ended, so it reaches the
// trap of the handler that opened the window, as the error of a routine
// without a trap reaches its caller's.
#include <QDialog>

// In a catch block: keeps the exception being handled (the first one, when
// there are more) on the dialog, and closes the dialog.
void CarryToOpener(QDialog& dialog) noexcept;
// Throws the exception kept on the dialog, if any.
void RethrowCarried(QDialog& dialog);

// The handler behind the boundary, to connect to a signal.
template <typename Dialog, typename... Args>
auto ToOpenersTrap(Dialog* dialog, void (Dialog::*handler)(Args...))
{
    return [dialog, handler](Args... args) {
        try {
            (dialog->*handler)(args...);
        } catch (...) {
            CarryToOpener(*dialog);
        }
    };
}
