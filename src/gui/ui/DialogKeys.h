#pragma once
// Keys of a dialog beyond Qt's own: Esc presses the cancel button, so it does
// what that button does (the close box stays the window's own); Ctrl+PgDn,
// Ctrl+PgUp, Ctrl+Tab and Ctrl+Shift+Tab turn the pages of a tab widget from
// anywhere in its window.
#include <QAbstractButton>
#include <QTabWidget>

void PressOnEscape(QAbstractButton* button);
void TurnPagesFromAnywhere(QTabWidget* tabs);
