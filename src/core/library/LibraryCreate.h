#pragma once
// Creating a new library: a directory with the control directory 00000000
// holding LIB.MDE and CTRL.MDE copied from the blank templates, and the
// initial rows every library needs (administrator, group, category and the
// library information records).
#include <functional>
#include <string>

class AppContext;
struct AppState;

inline constexpr const char* kLibVersion = "210";
inline constexpr const char* kCreateNotSuccessful = "Create new document library not successful ! ";
inline constexpr const char* kPathNotSpecified = "Path not specified !";

// The default library directory: the user's home + "/VrchLib".
std::string DefaultLibraryPath(const AppState& state);

// What the location window makes of its path text.
struct NewLibPathCheck {
    enum class Result { Blank, NotSpecified, Ok } result;
    std::string path; // the directory to use when Ok
};
NewLibPathCheck CheckNewLibPath(const std::string& text);

// Asks for the default or a chosen location and creates the library there;
// chooseLocation shows the location window and gives its result (empty when
// cancelled). True when a library was created.
bool CreateNewLib(AppContext& app, const std::function<std::string()>& chooseLocation);

// What the person is told when a library was created but the settings file
// could not take its path (why: the system's reason).
std::string SettingsNotWrittenText(const std::string& sLibPath, const std::string& iniFile, const std::string& why);

// Creates the library in sLibPath with every question and message; True on
// success. A failed creation removes the database files it copied; a
// settings file that cannot be written is told and the library kept (True).
bool CreateLibNow(AppContext& app, const std::string& sLibPath);

// Writes the initial rows into the library database of sLibPath in one
// transaction; True on success, nothing written on failure.
bool InitialiseDatabase(AppContext& app, const std::string& sLibPath, const std::string& sVerStr,
                        const std::string& sLibDesc);

// The text with every single quote doubled, for a text pasted in quotes.
// Bound values are stored as they are and need no doubling.
std::string FixQuote(const std::string& text);
