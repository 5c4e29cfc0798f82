#include "gui/ui/UserStdButton.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

// The font the sizes in twips were made for.
constexpr double kDesignPointSize = 9.0;

// Twips to pixels: 15 twips a pixel at 96 dots per inch and the design font.
// A larger font makes the twip larger, as a larger system font did where the
// sizes come from, so a caption that fits keeps fitting.
int Px(int twips, const QFont& font)
{
    const double scale = std::max(1.0, QFontInfo(font).pointSizeF() / kDesignPointSize);
    return static_cast<int>(twips * scale / 15);
}

int ShiftState(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

Qt::KeyboardModifiers Modifiers(int shift)
{
    Qt::KeyboardModifiers m;
    if (shift & 1) m |= Qt::ShiftModifier;
    if (shift & 2) m |= Qt::ControlModifier;
    if (shift & 4) m |= Qt::AltModifier;
    return m;
}

int MouseButtons(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}

} // namespace

UserStdButton::UserStdButton(QWidget* parent) : UserStdButton(kDefaultCaption, parent) {}

UserStdButton::UserStdButton(const QString& caption, QWidget* parent)
    : QWidget(parent), Command1(new QPushButton(caption, this))
{
    Command1->setObjectName("Command1");
    PlaceInnerButton();
    Command1->setAutoDefault(false);
    resize(sizeHint());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Command1->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &UserStdButton::Click);
}

QSize UserStdButton::sizeHint() const
{
    const QFont font = Command1->font();
    return {Px(1260, font), Px(420, font)};
}

void UserStdButton::PlaceInnerButton()
{
    const QFont font = Command1->font();
    Command1->setGeometry(Px(15, font), Px(15, font), Px(1200, font), Px(345, font));
}

void UserStdButton::SetWidth(std::int16_t value)
{
    m_Width = value;
    emit PropertyChanged("Width");
}

void UserStdButton::SetBackColor(std::uint32_t value)
{
    backColor_ = value;
    ApplyBackColor();
    emit PropertyChanged("BackColor");
}

void UserStdButton::ApplyBackColor()
{
    QPalette palette = Command1->palette();
    if (backColor_ & 0x80000000u) {
        palette.setColor(QPalette::Button, QWidget::palette().color(QPalette::Button));
    } else {
        // Stored colours are 0x00BBGGRR.
        palette.setColor(QPalette::Button,
                         QColor(backColor_ & 0xFF, (backColor_ >> 8) & 0xFF, (backColor_ >> 16) & 0xFF));
    }
    Command1->setPalette(palette);
}

void UserStdButton::SetForeColor(std::uint32_t value)
{
    m_ForeColor = value;
    emit PropertyChanged("ForeColor");
}

void UserStdButton::SetEnabled(bool value)
{
    Command1->setEnabled(value);
    emit PropertyChanged("Enabled");
}

void UserStdButton::SetPicture(const QIcon& value)
{
    Command1->setIcon(value);
    emit PropertyChanged("Picture");
}

void UserStdButton::SetFont(const QFont& value)
{
    Command1->setFont(value);
    emit PropertyChanged("Font");
}

void UserStdButton::SetBackStyle(std::int16_t value)
{
    m_BackStyle = value;
    emit PropertyChanged("BackStyle");
}

void UserStdButton::SetBorderStyle(std::int16_t value)
{
    m_BorderStyle = value;
    emit PropertyChanged("BorderStyle");
}

void UserStdButton::SetCaption(const QString& value)
{
    Command1->setText(value);
    emit PropertyChanged("Caption");
}

void UserStdButton::SetDefault(bool value)
{
    Command1->setDefault(value);
    emit PropertyChanged("Default");
}

void UserStdButton::SetCancel(bool value)
{
    ApplyCancel(value);
    emit PropertyChanged("Cancel");
}

void UserStdButton::ApplyCancel(bool value)
{
    cancel_ = value;
    if (value && !escape_) {
        // Esc anywhere in the button's window presses it. The shortcut lives
        // on the control, so it goes with it when the control is moved or deleted.
        escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        connect(escape_, &QShortcut::activated, this, [this] {
            if (Command1->isEnabled()) Command1->click();
        });
    }
    if (escape_) escape_->setEnabled(value);
}

void UserStdButton::ReadProperties(const PropertyBag& bag)
{
    backColor_ = bag.ReadProperty("BackColor", kButtonFace).toUInt();
    ApplyBackColor();
    m_ForeColor = bag.ReadProperty("ForeColor", kButtonText).toUInt();
    Command1->setEnabled(bag.ReadProperty("Enabled", true).toBool());
    SetPicture(bag.ReadProperty("Picture", QIcon()).value<QIcon>());
    const QFont container = parentWidget() ? parentWidget()->font() : QWidget::font();
    Command1->setFont(bag.ReadProperty("Font", container).value<QFont>());
    m_BackStyle = static_cast<std::int16_t>(bag.ReadProperty("BackStyle", 1).toInt());
    m_BorderStyle = static_cast<std::int16_t>(bag.ReadProperty("BorderStyle", 0).toInt());
    Command1->setText(bag.ReadProperty("Caption", kDefaultCaption).toString());
    Command1->setDefault(bag.ReadProperty("Default", false).toBool());
    ApplyCancel(bag.ReadProperty("Cancel", false).toBool());
}

void UserStdButton::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty("BackColor", backColor_, kButtonFace);
    bag.WriteProperty("ForeColor", m_ForeColor, kButtonText);
    bag.WriteProperty("Enabled", Enabled(), true);
    // No picture is the default: written as nothing, so a picture stored before is dropped.
    const QIcon picture = Command1->icon();
    bag.WriteProperty("Picture", picture.isNull() ? QVariant() : QVariant(picture), QVariant());
    const QFont container = parentWidget() ? parentWidget()->font() : QWidget::font();
    bag.WriteProperty("Font", Command1->font(), container);
    bag.WriteProperty("BackStyle", m_BackStyle, 1);
    bag.WriteProperty("BorderStyle", m_BorderStyle, 0);
    bag.WriteProperty("Caption", Command1->text(), kDefaultCaption);
    bag.WriteProperty("Default", Command1->isDefault(), false);
    bag.WriteProperty("Cancel", cancel_, false);
}

void UserStdButton::AmbientChanged(const QString& name)
{
    if (name == "DisplayAsDefault") SetDefault(true);
}

bool UserStdButton::ForwardKey(QEvent* event)
{
    if (replaying_) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool release = event->type() == QEvent::KeyRelease;
    const int shiftBefore = ShiftState(key->modifiers());
    int code = key->key();
    int shift = shiftBefore;
    if (release)
        emit KeyUp(code, shift);
    else
        emit KeyDown(code, shift);
    // A handler that sets the key code to 0 swallows the key.
    if (code == 0) return true;
    QString text = key->text();
    if (!release && !text.isEmpty()) {
        int ascii = text.at(0).unicode();
        emit KeyPress(ascii);
        if (ascii == 0) return true;
        if (ascii != text.at(0).unicode()) text = QString(QChar(ascii));
    }
    if (code == key->key() && shift == shiftBefore && text == key->text()) return false;
    // The arguments are the inner button's own: a changed key reaches it instead.
    const Qt::KeyboardModifiers modifiers = shift == shiftBefore ? key->modifiers() : Modifiers(shift);
    QKeyEvent changed(event->type(), code, modifiers, text, key->isAutoRepeat(), key->count());
    const QScopedValueRollback<bool> guard(replaying_, true);
    QCoreApplication::sendEvent(Command1, &changed);
    return true;
}

bool UserStdButton::ForwardMouse(QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    int button = MouseButtons(event->type() == QEvent::MouseMove ? mouse->buttons() : mouse->button());
    int shift = ShiftState(mouse->modifiers());
    // Positions in twips, as the container measures them.
    float x = static_cast<float>(mouse->position().x() * 15);
    float y = static_cast<float>(mouse->position().y() * 15);
    if (event->type() == QEvent::MouseButtonPress)
        emit MouseDown(button, shift, x, y);
    else if (event->type() == QEvent::MouseMove)
        emit MouseMove(button, shift, x, y);
    else
        emit MouseUp(button, shift, x, y);
    return false;
}

bool UserStdButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Command1) {
        switch (event->type()) {
        case QEvent::FontChange:
            PlaceInnerButton();
            updateGeometry();
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return ForwardKey(event);
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return ForwardMouse(event);
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
