#pragma once
// Everything a command works with: the program-wide state, the person at the
// screen and the two database connections. One instance, passed by reference.
#include "core/app/SettingsLocation.h"
#include "core/base/AppState.h"
#include "core/base/Prompter.h"
#include "core/data/Database.h"

class AppContext {
public:
    // The settings file in the program's directory, as a build tree has it;
    // the programs give the one LocateSettings finds.
    AppContext(const std::filesystem::path& programDir, Prompter& person)
        : AppContext(programDir, person, SettingsFile{programDir / kSettingsFileName, {}})
    {
    }
    AppContext(std::filesystem::path programDir, Prompter& person, SettingsFile settings)
        : prompter(person), db(state, person)
    {
        state.programDir = std::move(programDir);
        state.settings = std::move(settings);
    }
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    AppState state;
    Prompter& prompter;
    Database db;
};
