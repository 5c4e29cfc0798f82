#include "gui/ui/TextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>

#include <algorithm>

namespace {

// The caption as shown: "&" marks the access key, "&&" shows one "&".
QString Shown(QString text)
{
    text.replace("&&", QString(QChar(0x1)));
    text.remove('&');
    return text.replace(QChar(0x1), "&");
}

// The widest line of the text at the widget's font, and the height of all.
QSize TextSize(const QWidget& w, const QString& text) { return w.fontMetrics().size(Qt::TextShowMnemonic, text); }

bool Fits(const QSize& text, const QRect& room)
{
    return text.width() <= room.width() && text.height() <= room.height();
}

bool LabelFits(const QLabel& label)
{
    if (label.text().isEmpty() || label.pixmap().cacheKey() != 0) return true;
    if (label.wordWrap()) return label.heightForWidth(label.width()) <= label.height();
    return Fits(TextSize(label, label.text()), label.contentsRect());
}

bool ButtonFits(const QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(&button))
        contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<const QPushButton*>(&button))
        return true;
    option.text = button.text();
    const QRect room = button.style()->subElementRect(contents, &option, &button);
    return Fits(TextSize(button, Shown(button.text())), room);
}

bool ComboFits(const QComboBox& combo)
{
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    const QRect field =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    for (int i = 0; i < combo.count(); ++i)
        if (!Fits(TextSize(combo, combo.itemText(i)), field)) return false;
    return true;
}

void Check(const QWidget& w, bool fits, const QString& text, QStringList& cut)
{
    if (!fits) cut << w.objectName() + ": " + text;
}

} // namespace

int CharsWide(const QWidget* widget, int n) { return widget->fontMetrics().averageCharWidth() * n; }

QSize ScreenRoom(const QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen) return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // A window not yet shown has no frame: leave room for a title bar.
    QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (frame.isEmpty()) frame = QSize(0, window.fontMetrics().height() * 2);
    return screen->availableGeometry().size() - frame;
}

void FitToScreen(QWidget& window)
{
    window.adjustSize();
    window.resize(window.size().boundedTo(ScreenRoom(window)));
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    QRect placed = window.frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), room.left(), std::max(room.left(), room.right() - placed.width())));
    placed.moveTop(std::clamp(placed.top(), room.top(), std::max(room.top(), room.bottom() - placed.height())));
    window.move(placed.topLeft());
}

QStringList CutTexts(const QWidget& root)
{
    QStringList cut;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root)) continue;
        if (const auto* label = qobject_cast<const QLabel*>(w))
            Check(*w, LabelFits(*label), label->text(), cut);
        else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            Check(*w, ButtonFits(*button), button->text(), cut);
        else if (const auto* combo = qobject_cast<const QComboBox*>(w))
            Check(*w, ComboFits(*combo), combo->currentText(), cut);
        else if (const auto* box = qobject_cast<const QGroupBox*>(w))
            Check(*w, box->width() >= box->minimumSizeHint().width(), box->title(), cut);
        else if (const auto* bar = qobject_cast<const QTabBar*>(w))
            Check(*w, bar->width() >= bar->sizeHint().width(), bar->tabText(0), cut);
    }
    return cut;
}
