#pragma once
// A tab strip: a row of tabs over a framed body. The pages are not its
// children; their window places them over the body's client area.
#include <QTabBar>
#include <QWidget>

class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    void AddTab(const QString& caption) { bar_->addTab(caption); }
    // Tabs count from 1; 0 when none is selected.
    int SelectedTab() const { return bar_->currentIndex() + 1; }
    // Selects without announcing it; the window runs its own handler.
    void SelectQuietly(int tab);
    // The body inside its frame, in the coordinates of the strip's parent.
    QRect ClientArea() const;
    QTabBar* Bar() const { return bar_; }

signals:
    // The person selected another tab.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect Body() const;
    QTabBar* bar_;
};
