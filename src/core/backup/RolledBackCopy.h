#pragma once
// A database whose last commit was cut off (a power cut, a killed run) has
// a hot journal, which SQLite rolls back at the next read: a reader that
// may not write where the database lies reads a private copy of it and its
// journal instead, in a directory of its own, where SQLite rolls the
// commit back. The copy goes with this object.
#include <memory>
#include <string>

class RolledBackCopy {
public:
    // Null when `database` has no hot journal. The caller keeps writers
    // out meanwhile: a writer's journal is no hot one. Throws on failure.
    static std::unique_ptr<RolledBackCopy> Make(const std::string& database);
    ~RolledBackCopy();
    RolledBackCopy(const RolledBackCopy&) = delete;
    RolledBackCopy& operator=(const RolledBackCopy&) = delete;

    // The copy, to be opened for reading and writing: the rollback writes.
    const std::string& File() const { return file_; }

private:
    RolledBackCopy(std::string dir, std::string file) : dir_(std::move(dir)), file_(std::move(file)) {}
    std::string dir_, file_;
};

// Whether `database` has a journal whose first byte is not zero: SQLite's
// mark of a commit under way or cut off.
bool HasHotJournal(const std::string& database);
