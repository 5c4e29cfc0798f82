#include "gui/ui/DialogKeys.h"

#include <QShortcut>

void PressOnEscape(QAbstractButton* button)
{
    // Lives on the button, so it goes with it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), button);
    QObject::connect(escape, &QShortcut::activated, button, [button] {
        if (button->isEnabled() && button->isVisible()) button->click();
    });
}

void TurnPagesWithCtrlPage(QTabWidget* tabs)
{
    // Ctrl+Tab is the tab widget's own; it wraps around, and so do these.
    for (const int step : {1, -1}) {
        const QKeySequence keys(Qt::ControlModifier | (step > 0 ? Qt::Key_PageDown : Qt::Key_PageUp));
        auto* shortcut = new QShortcut(keys, tabs);
        QObject::connect(shortcut, &QShortcut::activated, tabs, [tabs, step] {
            if (tabs->count() > 0) tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
        });
    }
}
