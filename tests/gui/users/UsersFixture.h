#pragma once
// A real library with its first rows (administrator 1, "Admin Group" 2),
// active in a test program directory, and helpers that drive the user and
// group windows by control name.
#include "core/data/Database.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"
#include "gui/ui/UserStdButton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

#include <memory>

class UsersLibrary : public ::testing::Test {
protected:
    UsersLibrary() : lib(env.MakeBareLibrary()), builder(std::make_unique<LibraryBuilder>(lib))
    {
        builder->AddInitialRows();
        env.Activate(lib);
    }

    std::string LibDb() const { return LibDatabaseFile(lib); }
    std::int64_t Count(const std::string& sql) const { return CountRows(LibDb(), sql); }
    std::string One(const std::string& sql) const { return QueryOne(LibDb(), sql); }
    // Makes every deletion from the table fail.
    void RefuseDeletesFrom(const std::string& table)
    {
        builder->Lib().exec("CREATE TRIGGER refuse_delete BEFORE DELETE ON `" + table +
                            "` BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }

    UiTestEnv env;
    std::string lib;
    std::unique_ptr<LibraryBuilder> builder;
};

inline UserStdButton& Button(QWidget& w, const char* name) { return *Find<UserStdButton>(w, name); }
inline void Click(QWidget& w, const char* name) { Button(w, name).InnerButton()->click(); }
inline QLineEdit& Box(QWidget& w, const char* name) { return *Find<QLineEdit>(w, name); }
inline std::string TextOf(QWidget& w, const char* name) { return Box(w, name).text().toStdString(); }
inline void Type(QWidget& w, const char* name, const std::string& text)
{
    Box(w, name).setText(QString::fromStdString(text));
}

// The entries of a combo box or list, as shown.
inline std::vector<std::string> Entries(QComboBox& combo)
{
    std::vector<std::string> texts;
    for (int i = 0; i < combo.count(); ++i) texts.push_back(combo.itemText(i).toStdString());
    return texts;
}
inline std::vector<std::string> Entries(QListWidget& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
    return texts;
}

// Selects the entry as the person does.
inline void Pick(QComboBox& combo, const std::string& text)
{
    const int index = combo.findText(QString::fromStdString(text));
    ASSERT_GE(index, 0) << text;
    combo.setCurrentIndex(index);
    emit combo.activated(index);
}
inline void Pick(QListWidget& list, const std::string& text)
{
    const auto items = list.findItems(QString::fromStdString(text), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text;
    list.setCurrentItem(items.front());
}
