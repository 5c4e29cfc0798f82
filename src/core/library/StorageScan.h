#pragma once
// The document files against the rows that name them: one listing of each
// storage directory, merged with the rows of that directory in name order.
// Rows whose names lead to no usable file, rows without a file, files
// without a row (orphans), files that are no plain file, cannot be read or
// are empty, and files named by more than one row. Storage directories are the rows' locations and the directories
// directly below the library (not the control directory, not hidden ones).
#include "core/backup/DocumentDirs.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct CheckRun;

class StorageScan {
public:
    // Only the directories `only` names, when given: the rows given are theirs.
    explicit StorageScan(CheckRun& run, const std::set<std::string>* only = nullptr);
    ~StorageScan();
    StorageScan(const StorageScan&) = delete;
    StorageScan& operator=(const StorageScan&) = delete;

    // Reads the rows of the check's temporary table check_files.
    void Run();

private:
    struct Entry {
        std::string name;
        unsigned char type; // as readdir gives it
        bool named = false; // a row names it
    };
    struct Row {
        std::string location, filename;
        std::int64_t id;
    };

    void ListRoot();
    void Open(const std::string& location);
    void Close();
    void Take(const Row& row);
    // Why the row's names lead to no usable file; empty when they do.
    std::string BadName(const Row& row);
    void Group();
    void CheckFile(std::int64_t id, const std::string& name, const Entry* entry);
    void Orphan(const Entry& entry);
    std::string Path(const std::string& name) const;

    CheckRun& run_;
    DocumentDirs dirs_;
    const std::set<std::string>* only_;
    // The last location judged, and why it is bad; none yet at first, as
    // the empty location is one to judge too.
    std::optional<std::string> judged_;
    std::string locationFault_;
    std::vector<std::string> rootDirs_;
    std::size_t nextRoot_ = 0;
    // The storage directory being merged.
    std::string location_;
    bool open_ = false;
    int fd_ = -1;
    int listError_ = 0;
    std::vector<Entry> entries_;
    std::size_t next_ = 0;
    // Rows of one file name, waiting for the next name.
    std::vector<Row> group_;
    std::int64_t rows_ = 0;
};
