#pragma once
// Room for text at the window's own font, and the check that no caption is
// cut: the screens tool and the tests run it on every window.
#include <QStringList>
#include <QWidget>

// The width of n average characters of the widget's font.
int CharsWide(const QWidget* widget, int n);

// The room the screen of the window leaves for it, frame excluded.
QSize ScreenRoom(const QWidget& window);
// The window at its content's size, never past ScreenRoom, and wholly on
// its screen: what does not fit scrolls or wraps inside it.
void FitToScreen(QWidget& window);

// The controls below root, shown with it, whose text does not fit the room
// they have, each as "objectName: text".
QStringList CutTexts(const QWidget& root);
