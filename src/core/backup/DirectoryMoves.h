#pragma once
// The storage directories of a fetched snapshot that take their names in
// the restored library whole, by one rename each rather than one for each
// file. A directory the library does not have yet waits: its files are
// read and checked as any other, and once all are, it goes whole if it
// holds exactly the files that were read, else file by file, those read.
#include "core/common/NameSums.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class DirectoryMoves {
public:
    // `from`: the fetched backup; `to`: the restore directory.
    DirectoryMoves(std::string from, std::string to);

    // Whether the location's files wait for their directory, decided when
    // it is first asked for.
    bool Waits(const std::string& location);
    bool Waiting(const std::string& location) const;
    // The location of a file below the restore directory, as a row names it.
    std::string LocationOf(const std::string& target) const;
    // A file of a waiting directory was read and checked, or could not be.
    void Read(const std::string& location, const std::string& name, bool whole);
    // Whether a file of a directory that waited could not be read, and
    // whether too many could not to be remembered: its files are read again.
    bool Unread(const std::string& location, const std::string& name) const;
    bool ReadAgain(const std::string& location) const;
    // Moves every waiting directory that holds exactly the files read,
    // telling `moved` the number of files of each; returns the others,
    // whose files read take their names one by one. Throws TargetError.
    std::vector<std::string> Move(const std::function<void(std::int64_t files)>& moved);

private:
    struct Directory {
        bool waits = false;
        NameSums read;
        std::set<std::string> unread;
        bool unreadForgotten = false;
    };
    bool Holds(const std::string& location, const NameSums& read) const;
    bool MovedWhole(const std::string& location) const;

    std::string from_, to_;
    std::map<std::string, Directory> dirs_;
};
