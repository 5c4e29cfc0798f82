#pragma once
// Where the backup reads and writes document files: beneath the library and
// beneath the backup, never through a link, so no row and no link can make
// it read or write anything outside. The one link followed is a storage
// directory directly below the library that is itself a link: that is how
// a library is spread over several volumes.
#include <functional>
#include <map>
#include <string>

class DocumentDirs {
public:
    // Whether a storage directory that is itself a link is followed: in a
    // library, yes; in a backup, which is written through no link, never.
    enum class StorageLinks { Followed, Refused };
    DocumentDirs(std::string libPath, std::string backupPath, StorageLinks links = StorageLinks::Followed);

    // False when a link below the location's first directory leads
    // elsewhere. A directory that does not exist is no link: its documents
    // are missing.
    bool SourceReachable(const std::string& location);
    // Makes the location's directories in the backup as needed; false when
    // a link is in the way. Throws TargetError when one cannot be made.
    bool TargetReady(const std::string& location);

    // Called with a location's directory in the backup once it is found
    // ready, before anything is written there; may throw as TargetReady.
    std::function<void(const std::string& dir)> targetReady;

private:
    std::string libPath_, backupPath_;
    StorageLinks links_;
    std::map<std::string, bool> sources_, targets_;
};

// Makes `relative` (no "." or ".." in it) below `root`, step by step, never
// through a link; false when a link is in the way. Throws TargetError when
// a directory cannot be made or a file is in the way.
bool MakeDirectoryBeneath(const std::string& root, const std::string& relative);
