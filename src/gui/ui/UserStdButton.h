#pragma once
// The program's own push button: one inner button of fixed size and place,
// a few appearance properties, and the inner button's events passed on.
#include "gui/ui/PropertyBag.h"

#include <QFont>
#include <QIcon>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

#include <cstdint>

class UserStdButton : public QWidget {
    Q_OBJECT
public:
    // System colours as stored: index with the top bit set.
    static constexpr std::uint32_t kButtonFace = 0x8000000F;
    static constexpr std::uint32_t kButtonText = 0x80000012;
    static constexpr const char* kDefaultCaption = "Std Button";

    explicit UserStdButton(QWidget* parent = nullptr);
    UserStdButton(const QString& caption, QWidget* parent);

    std::int16_t Width() const { return m_Width; }
    void SetWidth(std::int16_t value);
    std::uint32_t BackColor() const { return backColor_; }
    void SetBackColor(std::uint32_t value);
    std::uint32_t ForeColor() const { return m_ForeColor; }
    void SetForeColor(std::uint32_t value);
    // The button's own setting, not whether its form is enabled just now.
    bool Enabled() const { return Command1->isEnabledTo(this); }
    void SetEnabled(bool value);
    QIcon Picture() const { return Command1->icon(); }
    void SetPicture(const QIcon& value);
    QFont Font() const { return Command1->font(); }
    void SetFont(const QFont& value);
    std::int16_t BackStyle() const { return m_BackStyle; }
    void SetBackStyle(std::int16_t value);
    std::int16_t BorderStyle() const { return m_BorderStyle; }
    void SetBorderStyle(std::int16_t value);
    void Refresh() { Command1->update(); }
    QString Caption() const { return Command1->text(); }
    void SetCaption(const QString& value);
    bool Default() const { return Command1->isDefault(); }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value);

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;
    // The container tells that one of its ambient properties changed.
    void AmbientChanged(const QString& name);

    QPushButton* InnerButton() const { return Command1; }
    // The control area on a form; the inner button never follows a resize,
    // only its font.
    QSize sizeHint() const override;

signals:
    void PropertyChanged(const QString& name);
    void DblClick();
    void Click();
    void KeyDown(int& keyCode, int& shift);
    void KeyPress(int& keyAscii);
    void KeyUp(int& keyCode, int& shift);
    void MouseDown(int& button, int& shift, float& x, float& y);
    void MouseMove(int& button, int& shift, float& x, float& y);
    void MouseUp(int& button, int& shift, float& x, float& y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceInnerButton();
    void ApplyBackColor();
    void ApplyCancel(bool value);
    bool ForwardKey(QEvent* event);
    bool ForwardMouse(QEvent* event);

    QPushButton* Command1;
    QShortcut* escape_ = nullptr;
    std::uint32_t backColor_ = kButtonFace;
    std::uint32_t m_ForeColor = kButtonText;
    std::int16_t m_BackStyle = 1;
    std::int16_t m_BorderStyle = 0;
    std::int16_t m_Width = 80;
    bool cancel_ = false;
    // A key changed by a handler is being passed to the inner button.
    bool replaying_ = false;
};
