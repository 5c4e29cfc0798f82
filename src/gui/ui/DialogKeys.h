#pragma once
// The keys of a dialog's button pair: Esc presses the cancel button, so it
// does what that button does; the close box stays the window's own.
#include <QAbstractButton>

void PressOnEscape(QAbstractButton* button);
