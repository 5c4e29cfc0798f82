#pragma once
// The work behind the console's commands; each lives with the module that
// owns it. The console has already run the login and warning gates.
class LibAdminMain;

void RunSelectLib(LibAdminMain& console);    // library/SelectLibCommand.cpp
void RunCreateLib(LibAdminMain& console);    // library/CreateLibCommand.cpp
void RunLibDesc(LibAdminMain& console);      // library/LibDescCommand.cpp
void RunUsers(LibAdminMain& console);        // users/UserCommands.cpp
void RunGroups(LibAdminMain& console);       // users/UserCommands.cpp
void RunResetUser(LibAdminMain& console);    // users/UserCommands.cpp
void RunPublishLib(LibAdminMain& console);   // backup/BackupCommand.cpp
void RunCompact(LibAdminMain& console);      // data/MaintenanceCommands.cpp
void RunResetDoc(LibAdminMain& console);     // data/MaintenanceCommands.cpp
void RunMiscSetting(LibAdminMain& console);  // app/MiscSettingCommand.cpp
void RunCheckLib(LibAdminMain& console);     // library/CheckLibCommand.cpp
void RunVerifyBackup(LibAdminMain& console); // backup/VerifyRestoreCommands.cpp
void RunRestoreLib(LibAdminMain& console);   // backup/VerifyRestoreCommands.cpp

// Logs the administrator out and closes the library's files, so the next
// use opens the library chosen now (library/SelectLibCommand.cpp).
void ForgetActiveLibrary(LibAdminMain& console);

// Opens the administrator password window modally (app/Admin_Pass.cpp).
void ShowAdminPass(LibAdminMain& console);

// Tells plainly that a command has not been built yet.
void SayNotAvailable(LibAdminMain& console, const char* command);
