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

void TurnPagesFromAnywhere(QTabWidget* tabs)
{
    // The tab widget's own Ctrl+Tab works only with the focus inside it;
    // these work wherever the focus is in its window, and wrap around.
    const QKeyCombination next[] = {Qt::ControlModifier | Qt::Key_PageDown, Qt::ControlModifier | Qt::Key_Tab};
    const QKeyCombination back[] = {Qt::ControlModifier | Qt::Key_PageUp,
                                    Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Backtab};
    for (const int step : {1, -1}) {
        for (const QKeyCombination keys : step > 0 ? next : back) {
            auto* shortcut = new QShortcut(QKeySequence(keys), tabs);
            QObject::connect(shortcut, &QShortcut::activated, tabs, [tabs, step] {
                if (tabs->count() > 0)
                    tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
            });
        }
    }
}
