#pragma once
// Everything a command works with: the program-wide state, the person at the
// screen and the two database connections. One instance, passed by reference.
#include "core/base/AppState.h"
#include "core/base/Prompter.h"
#include "core/data/Database.h"

class AppContext {
public:
    AppContext(std::filesystem::path programDir, Prompter& person) : prompter(person), db(state, person)
    {
        state.programDir = std::move(programDir);
    }
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    AppState state;
    Prompter& prompter;
    Database db;
};
