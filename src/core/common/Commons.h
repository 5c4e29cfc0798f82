#pragma once
// File and path helpers every module uses for its touches of the file system.
// None of them throws: each folds its failures into its result.
#include <string>

class Prompter;

// The stored value of key in section of the INI file, cut to 254 characters;
// empty when the file, section or key is missing.
std::string GetIniString(const std::string& section, const std::string& key, const std::string& iniFile);

// An absolute path split into its root name (always empty here) and its
// directory part (from the leading "/", trailing blanks removed). A relative
// or blank path gives two empty parts.
struct DrivePath {
    std::string drive;
    std::string dir;
};
DrivePath SplitDrivePath(const std::string& path);

// Creates every missing directory along the path, each name flushed; true
// when the path exists afterwards. Tells the user when a directory cannot
// be created.
bool CreateFullPath(const std::string& path, Prompter& prompter);

// True when an ordinary, not hidden file of that name exists; the last
// component may hold the wildcards * and ?.
bool FileExists(const std::string& name);

// True when the path names an existing directory (with or without a
// trailing "/").
bool DirExists(const std::string& path);

// True when the path itself is a plain file: a link to one is not.
bool IsPlainFile(const std::string& path);

// Deletes the file, or every file a wildcard name finds (the files
// FileExists finds); true when a deletion was attempted. Read-only files are
// left alone when bCheckReadOnly is set.
bool KillFile(const std::string& sFile, bool bCheckReadOnly = false);
