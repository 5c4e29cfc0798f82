#pragma once
// What the parts of the library check share: the library, the options, the
// report being filled and the check's own read-only connections.
#include "core/data/Connection.h"
#include "core/library/LibraryCheck.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>

// A row's location as the check knows its directory: doubled and trailing
// slashes make no other directory. Most locations have no slash at all, and
// skipping the replacements for them saves most of the reading's time.
inline constexpr const char* kNormalLocation =
    "CASE WHEN instr(`location`, '/') "
    "THEN rtrim(replace(replace(replace(`location`, '//', '/'), '//', '/'), '//', '/'), '/') "
    "ELSE coalesce(CAST(`location` AS TEXT), '') END";

struct CheckUser {
    std::string name;
    std::string login;
    std::string type;
};

struct CheckRun {
    std::string libPath;
    CheckOptions options;
    CheckProgress progress;
    CheckReport& report;
    Connection lib;
    Connection ctrl;
    // Every row of `user-list` by `user-id`, once the users are read.
    std::map<std::int64_t, CheckUser> users;

    void Progress(const std::string& stage, std::int64_t done, std::int64_t total) const
    {
        if (progress) progress(stage, done, total);
    }
    std::string DocumentPath(const std::string& location, const std::string& filename) const
    {
        return libPath + "/" + location + "/" + filename;
    }
};

// Reads a table in pages of rows ordered by an integer key, each page in a
// short read transaction. `sql` takes the last key read as ?1 and the page
// size as ?2 and returns the key in column `key`.
void ReadInPages(Connection& connection, const std::string& sql, const char* key,
                 const std::function<void(const ResultSet&)>& row,
                 std::int64_t after = std::numeric_limits<std::int64_t>::min());

// Opens one of the two databases for reading; false when it cannot, with
// damage reported as a finding and anything else as an error.
bool OpenForCheck(CheckRun& run, Connection& connection, const std::string& name);

// The parts, in the order the check runs them.
void CheckIntegrity(CheckRun& run, Connection& connection, const std::string& name);
void CheckDocuments(CheckRun& run);
void CheckUsers(CheckRun& run);
void CheckControl(CheckRun& run);
