#include "gui/ui/TextFit.h"
#include "gui/ui/UserStdButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(TextFit, FindsCutLabelsButtonsAndListsOnly)
{
    QWidget form;
    auto* label = new QLabel("User Name", &form);
    label->setObjectName("Label2");
    auto* button = new QPushButton("<< &Remove", &form);
    button->setObjectName("usbRemove");
    auto* check = new QCheckBox("Maintain compatibility with version 1.xx data", &form);
    check->setObjectName("ckbCompatibleCheck");
    auto* combo = new QComboBox(&form);
    combo->setObjectName("Combo1");
    combo->addItem("Scanning and Indexing Dpt");
    for (QWidget* w : std::initializer_list<QWidget*>{label, button, check, combo}) w->resize(w->sizeHint());
    auto* hidden = new QLabel("Not shown at all", &form);
    hidden->resize(4, 4);
    hidden->hide();
    form.show();
    EXPECT_EQ(CutTexts(form), QStringList());

    label->resize(label->width() - 8, label->height());
    button->resize(button->fontMetrics().horizontalAdvance("<< Remov"), button->height());
    check->resize(check->width() - 20, check->height());
    combo->resize(combo->width() / 2, combo->height());
    EXPECT_EQ(CutTexts(form), (QStringList{"Label2: User Name", "usbRemove: << &Remove",
                                           "ckbCompatibleCheck: Maintain compatibility with version 1.xx data",
                                           "Combo1: Scanning and Indexing Dpt"}));
}

TEST(UserStdButton, InnerButtonGrowsWithItsFontSoItsCaptionFits)
{
    QWidget form;
    QFont large = form.font();
    large.setPointSize(13);
    form.setFont(large);
    auto* button = new UserStdButton("<< &Remove", &form);
    button->setObjectName("usbRemove");
    form.show();
    const QSize inner = button->InnerButton()->size();
    EXPECT_GT(inner.width(), 80);
    EXPECT_GT(inner.height(), 23);
    EXPECT_TRUE(QRect(QPoint(), button->sizeHint()).contains(button->InnerButton()->geometry()))
        << "the control area holds the inner button";
    EXPECT_EQ(CutTexts(form), QStringList());

    // Still its own size, whatever size the control is given.
    button->resize(400, 200);
    EXPECT_EQ(button->InnerButton()->size(), inner);
}
