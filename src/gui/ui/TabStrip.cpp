#include "gui/ui/TabStrip.h"

#include <QSignalBlocker>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace {
constexpr int kBorder = 2;
}

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this))
{
    bar_->setObjectName("Tabs");
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    connect(bar_, &QTabBar::currentChanged, this, &TabStrip::Click);
}

void TabStrip::SelectQuietly(int tab)
{
    const QSignalBlocker quiet(bar_);
    bar_->setCurrentIndex(tab - 1);
}

QRect TabStrip::Body() const
{
    const int top = bar_->sizeHint().height() - 1;
    return QRect(0, top, width(), height() - top);
}

QRect TabStrip::ClientArea() const
{
    return Body().adjusted(kBorder, kBorder, -kBorder, -kBorder).translated(pos());
}

void TabStrip::resizeEvent(QResizeEvent* event)
{
    bar_->setGeometry(0, 0, width(), bar_->sizeHint().height());
    QWidget::resizeEvent(event);
}

void TabStrip::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = Body();
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = bar_->sizeHint();
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}
