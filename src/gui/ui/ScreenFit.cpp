#include "gui/ui/ScreenFit.h"

#include <QScreen>
#include <QStyle>

void FitOnScreen(QWidget& window, QSize wanted)
{
    wanted = wanted.expandedTo(window.minimumSizeHint());
    if (const QScreen* screen = window.screen()) {
        // Room for the frame the window manager puts around it.
        const int frame = 2 * window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const QSize room = screen->availableGeometry().size() - QSize(frame, frame);
        wanted = wanted.boundedTo(room);
    }
    window.resize(wanted);
}
