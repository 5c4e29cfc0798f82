#include "support/WindowDriver.h"

#include "gui/ui/UserStdButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

void Click(QWidget& window, const char* name)
{
    if (auto* button = window.findChild<UserStdButton*>(name)) return button->InnerButton()->click();
    QTest::mouseClick(Find<QPushButton>(window, name), Qt::LeftButton);
}

void Type(QWidget& window, const char* name, const std::string& text)
{
    Find<QLineEdit>(window, name)->setText(QString::fromStdString(text));
}

std::string TextOf(QWidget& window, const char* name)
{
    if (auto* box = window.findChild<QLineEdit*>(name)) return box->text().toStdString();
    if (auto* button = window.findChild<QPushButton*>(name)) return button->text().toStdString();
    if (auto* area = window.findChild<QPlainTextEdit*>(name)) return area->toPlainText().toStdString();
    return Find<QLabel>(window, name)->text().toStdString();
}

std::vector<std::string> Entries(QComboBox& combo)
{
    std::vector<std::string> texts;
    for (int i = 0; i < combo.count(); ++i) texts.push_back(combo.itemText(i).toStdString());
    return texts;
}

std::vector<std::string> Entries(QListWidget& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
    return texts;
}

void Pick(QComboBox& combo, const std::string& text)
{
    const int index = combo.findText(QString::fromStdString(text));
    ASSERT_GE(index, 0) << text;
    combo.setCurrentIndex(index);
    emit combo.activated(index);
}

void Pick(QListWidget& list, const std::string& text)
{
    const auto items = list.findItems(QString::fromStdString(text), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text;
    list.setCurrentItem(items.front());
}
