#pragma once
// Where a library's backup may go: not the library itself, not inside it
// (it would die with the library's disk and its files show as strays in
// the check), and not around it (the backup would copy into the library).
#include <string>

enum class BackupPlace { Apart, Same, InsideLibrary, AroundLibrary };

inline constexpr const char* kBackupSameAsLibrary =
    "The backup library path can not be the same as the active library path !";
inline constexpr const char* kBackupInsideLibrary =
    "The backup library path can not be inside the active library path !";
inline constexpr const char* kLibraryInsideBackup =
    "The active library path can not be inside the backup library path !";

inline constexpr const char* kCreateBackupPathQuestion = "Backup Library path does not exist! Create it now ?";
inline constexpr const char* kBackupPathMissing = "Backup Library path does not exist: ";

// Compares the directories the two paths name, links resolved, whether or
// not the backup path exists yet.
BackupPlace PlaceOfBackup(const std::string& library, const std::string& backup);
// The refusal's text; empty for Apart.
std::string BackupPlaceText(BackupPlace place);
