#pragma once
// A real library with its first rows (administrator 1, "Admin Group" 2),
// active in a test program directory.
#include "core/data/Database.h"
#include "gui/ui/UserStdButton.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

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
inline QLineEdit& Box(QWidget& w, const char* name) { return *Find<QLineEdit>(w, name); }
