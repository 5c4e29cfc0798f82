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
