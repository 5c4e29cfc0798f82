#include "gui/ui/UserStdButton.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList Changes(const QSignalSpy& spy)
{
    QStringList names;
    for (const auto& args : spy) names << args.at(0).toString();
    return names;
}

QIcon RedIcon()
{
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

} // namespace

TEST(UserStdButton, NewButtonHasTheDefaultsAndWritesNothing)
{
    QWidget form;
    UserStdButton button(&form);
    EXPECT_EQ(button.Caption(), "Std Button");
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.BackColor(), 0x8000000Fu);
    EXPECT_EQ(button.ForeColor(), 0x80000012u);
    EXPECT_EQ(button.BackStyle(), 1);
    EXPECT_EQ(button.BorderStyle(), 0);
    EXPECT_EQ(button.Width(), 80);
    EXPECT_FALSE(button.Default());
    EXPECT_FALSE(button.Cancel());
    EXPECT_TRUE(button.Picture().isNull());
    EXPECT_EQ(button.InnerButton()->palette().color(QPalette::Button), form.palette().color(QPalette::Button));

    MemoryPropertyBag bag;
    button.WriteProperties(bag);
    EXPECT_TRUE(bag.values.isEmpty()) << bag.values.keys().join(",").toStdString();

    // Read from an empty store: still the defaults, the container's font.
    UserStdButton read(&form);
    read.ReadProperties(bag);
    EXPECT_EQ(read.Caption(), "Std Button");
    EXPECT_EQ(read.Font(), form.font());
    EXPECT_FALSE(read.Cancel());
}

TEST(UserStdButton, StoredPropertiesRoundTrip)
{
    QWidget form;
    UserStdButton button(&form);
    QFont font = form.font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + 3);
    button.SetBackColor(0x0000FF);
    button.SetForeColor(0x00FF00);
    button.SetEnabled(false);
    button.SetPicture(RedIcon());
    button.SetFont(font);
    button.SetBackStyle(0);
    button.SetBorderStyle(1);
    button.SetCaption("Remove");
    button.SetDefault(true);
    button.SetCancel(true);
    button.SetWidth(120);

    MemoryPropertyBag bag;
    button.WriteProperties(bag);
    EXPECT_EQ(bag.values.keys(), (QStringList{"BackColor", "BackStyle", "BorderStyle", "Cancel", "Caption", "Default",
                                              "Enabled", "Font", "ForeColor", "Picture"}));

    QWidget otherForm;
    UserStdButton read(&otherForm);
    QSignalSpy changes(&read, &UserStdButton::PropertyChanged);
    read.ReadProperties(bag);
    EXPECT_EQ(read.BackColor(), 0x0000FFu);
    EXPECT_EQ(read.InnerButton()->palette().color(QPalette::Button), QColor(255, 0, 0));
    EXPECT_EQ(read.ForeColor(), 0x00FF00u);
    EXPECT_FALSE(read.Enabled());
    EXPECT_FALSE(read.Picture().isNull());
    EXPECT_EQ(read.Font(), font);
    EXPECT_EQ(read.BackStyle(), 0);
    EXPECT_EQ(read.BorderStyle(), 1);
    EXPECT_EQ(read.Caption(), "Remove");
    EXPECT_TRUE(read.Default());
    EXPECT_TRUE(read.Cancel());
    // Width is not stored.
    EXPECT_EQ(read.Width(), 80);
    // Only the picture goes through its property and announces itself.
    EXPECT_EQ(Changes(changes), QStringList{"Picture"});
}

TEST(UserStdButton, ValuesBackAtTheirDefaultsAreNotWritten)
{
    QWidget form;
    UserStdButton button("Close", &form);
    button.SetPicture(RedIcon());
    button.SetCancel(true);
    MemoryPropertyBag bag;
    button.WriteProperties(bag);
    ASSERT_TRUE(bag.values.contains("Caption"));
    ASSERT_TRUE(bag.values.contains("Picture"));

    // A caption equal to "Std Button", no picture and Cancel off drop out of
    // the store, not left behind with their old values.
    button.SetCaption("Std Button");
    button.SetPicture(QIcon());
    button.SetCancel(false);
    button.WriteProperties(bag);
    EXPECT_TRUE(bag.values.isEmpty()) << bag.values.keys().join(",").toStdString();
}

TEST(UserStdButton, SettersAnnounceAndStoredOnlyValuesLeaveTheLookAlone)
{
    QWidget form;
    UserStdButton button(&form);
    const QPalette before = button.InnerButton()->palette();
    QSignalSpy changes(&button, &UserStdButton::PropertyChanged);
    button.SetWidth(10);
    button.SetForeColor(0x0000FF);
    button.SetBackStyle(0);
    button.SetBorderStyle(1);
    EXPECT_EQ(button.InnerButton()->palette(), before);
    EXPECT_EQ(button.InnerButton()->size(), QSize(80, 23));
    EXPECT_EQ(button.Width(), 10);
    button.SetBackColor(0x80000005);
    button.SetEnabled(true);
    button.SetPicture(QIcon());
    button.SetFont(form.font());
    button.SetCaption("x");
    button.SetDefault(false);
    button.SetCancel(false);
    EXPECT_EQ(Changes(changes), (QStringList{"Width", "ForeColor", "BackStyle", "BorderStyle", "BackColor", "Enabled",
                                             "Picture", "Font", "Caption", "Default", "Cancel"}));

    // The container's "DisplayAsDefault" turns Default on, and never off.
    button.AmbientChanged("BackColor");
    EXPECT_FALSE(button.Default());
    button.AmbientChanged("DisplayAsDefault");
    button.AmbientChanged("DisplayAsDefault");
    EXPECT_TRUE(button.Default());
}

TEST(UserStdButton, InnerButtonKeepsItsSizeAndPlace)
{
    QWidget form;
    auto* layout = new QHBoxLayout(&form);
    auto* button = new UserStdButton(&form);
    layout->addWidget(button);
    form.resize(600, 300);
    form.show();
    button->resize(400, 200);
    QApplication::processEvents();
    EXPECT_EQ(button->InnerButton()->geometry(), QRect(1, 1, 80, 23));
    EXPECT_EQ(button->sizeHint(), QSize(84, 28));
}

TEST(UserStdButton, MouseAndClickAreForwarded)
{
    QWidget form;
    UserStdButton button(&form);
    form.show();
    QSignalSpy clicks(&button, &UserStdButton::Click);
    QSignalSpy doubles(&button, &UserStdButton::DblClick);
    std::vector<std::tuple<char, int, float, float>> mouse;
    QObject::connect(&button, &UserStdButton::MouseDown,
                     [&](int& b, int&, float& x, float& y) { mouse.emplace_back('D', b, x, y); });
    QObject::connect(&button, &UserStdButton::MouseUp,
                     [&](int& b, int&, float& x, float& y) { mouse.emplace_back('U', b, x, y); });
    QTest::mouseClick(button.InnerButton(), Qt::LeftButton, {}, QPoint(10, 4));
    EXPECT_EQ(clicks.count(), 1);
    ASSERT_EQ(mouse.size(), 2u);
    // Left button, position in twips.
    EXPECT_EQ(mouse[0], std::make_tuple('D', 1, 150.0f, 60.0f));
    EXPECT_EQ(mouse[1], std::make_tuple('U', 1, 150.0f, 60.0f));
    QTest::mouseDClick(button.InnerButton(), Qt::LeftButton);
    EXPECT_EQ(doubles.count(), 0);
}

TEST(UserStdButton, KeyHandlersChangeWhatTheInnerButtonGets)
{
    QWidget form;
    UserStdButton button(&form);
    form.show();
    QSignalSpy clicks(&button, &UserStdButton::Click);
    std::vector<int> downs, presses, ups;
    bool swallow = false, substitute = false, noChar = false;
    QObject::connect(&button, &UserStdButton::KeyDown, [&](int& code, int&) {
        downs.push_back(code);
        if (swallow) code = 0;
        if (substitute && code == Qt::Key_A) code = Qt::Key_Space;
    });
    QObject::connect(&button, &UserStdButton::KeyPress, [&](int& ascii) {
        presses.push_back(ascii);
        if (noChar) ascii = 0;
    });
    QObject::connect(&button, &UserStdButton::KeyUp, [&](int& code, int&) {
        ups.push_back(code);
        if (substitute && code == Qt::Key_A) code = Qt::Key_Space;
    });

    QTest::keyClick(button.InnerButton(), Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(downs, std::vector<int>{Qt::Key_Space});
    EXPECT_EQ(presses, std::vector<int>{' '});
    EXPECT_EQ(ups, std::vector<int>{Qt::Key_Space});

    // A handler setting the key code to 0 keeps the key from the button.
    swallow = true;
    QTest::keyClick(button.InnerButton(), Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(presses.size(), 1u) << "no KeyPress after a swallowed KeyDown";

    // A handler turning "a" into Space presses the button.
    swallow = false;
    QTest::keyClick(button.InnerButton(), Qt::Key_A);
    EXPECT_EQ(clicks.count(), 1) << "a plain 'a' does not press it";
    substitute = true;
    QTest::keyClick(button.InnerButton(), Qt::Key_A);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(downs.back(), Qt::Key_A) << "the handler sees the key as typed";

    // KeyAscii set to 0 swallows the key press too.
    substitute = false;
    noChar = true;
    QTest::keyClick(button.InnerButton(), Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 2);
}

TEST(UserStdButton, DefaultAndCancelButtonsAnswerEnterAndEsc)
{
    QDialog dialog;
    auto* layout = new QHBoxLayout(&dialog);
    auto* ok = new UserStdButton("OK", &dialog);
    auto* cancel = new UserStdButton("Cancel", &dialog);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    QSignalSpy okClicks(ok, &UserStdButton::Click);
    QSignalSpy cancelClicks(cancel, &UserStdButton::Click);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);

    // Cancel off: Esc no longer presses it.
    cancel->SetCancel(false);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
    EXPECT_FALSE(dialog.isVisible()) << "Esc then closes the dialog as its close box";

    // A cancel button taken off the dialog takes its Esc with it.
    cancel->SetCancel(true);
    delete cancel;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(UserStdButton, EnabledIsTheButtonsOwnSettingNotItsForms)
{
    QWidget form;
    UserStdButton button(&form);
    form.setEnabled(false);
    EXPECT_TRUE(button.Enabled());
    MemoryPropertyBag bag;
    button.WriteProperties(bag);
    EXPECT_FALSE(bag.values.contains("Enabled")) << "a disabled form must not store its buttons as disabled";
    button.SetEnabled(false);
    form.setEnabled(true);
    EXPECT_FALSE(button.Enabled());
    button.WriteProperties(bag);
    EXPECT_EQ(bag.values.value("Enabled"), QVariant(false));
}
