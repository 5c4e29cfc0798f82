#pragma once
// The quick look at the document files. The rows are read once, in the
// order they were added, while two helpers look each row's file up under
// its name; each storage directory is listed once, when its first row
// comes, and at the end compared with the files its rows found, by count
// and name sums. A directory whose listing is not exactly those files
// (orphans, missing or shared files, files that came or went meanwhile, a
// lookup or listing that failed) is left to StorageScan's merge, which
// names what differs; the findings of the others are reported here.
// Memory grows with the storage directories, not the documents.
#include "core/backup/DocumentDirs.h"
#include "core/common/NameSums.h"
#include "core/library/CheckReport.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct CheckRun;

class StorageTally {
public:
    explicit StorageTally(CheckRun& run);
    ~StorageTally();
    StorageTally(const StorageTally&) = delete;
    StorageTally& operator=(const StorageTally&) = delete;

    // Reads every row and lists the storage directories; returns the last
    // id read.
    std::int64_t Run();
    // Whether every directory is left to the merge (too many to tally).
    bool LeavesAll() const { return all_; }
    const std::set<std::string>& Left() const { return left_; }

private:
    struct Directory {
        std::string fault;   // why the location is bad; empty when good
        NameSums listed;     // when it was first entered
        NameSums found;      // the rows' files that are there, directories aside
        bool unsure = false; // a file missing or a directory, a failed lookup
        std::vector<Finding> findings;
    };
    struct Row {
        std::int64_t id;
        std::string location, filename;
    };
    // One helper's part: the directories routed to it by their location.
    struct Share {
        explicit Share(const std::string& libPath) : documentDirs(libPath, std::string()) {}
        ~Share();
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

        DocumentDirs documentDirs;
        std::map<std::string, Directory> dirs;
        std::string location; // the directory fd is open on
        Directory* current = nullptr;
        int fd = -1;
        bool full = false; // too many directories to tally
    };

    std::size_t ShareOf(const std::string& location) const;
    void Take(Share& share, const Row& row);
    Directory& Enter(Share& share, const std::string& location);
    void Look(Share& share, Directory& dir, const Row& row);
    void Judge();

    CheckRun& run_;
    std::vector<std::unique_ptr<Share>> shares_;
    bool all_ = false;
    std::set<std::string> left_;
};
