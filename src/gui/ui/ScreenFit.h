#pragma once
// A window's first size: what its content asks for, never more than the
// screen it opens on has room for; what does not fit scrolls inside.
#include <QWidget>

void FitOnScreen(QWidget& window, QSize wanted);
