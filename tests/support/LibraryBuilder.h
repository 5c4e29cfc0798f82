#pragma once
// Fills a real library for tests: cabinets, drawers, folders, documents and
// their files, users, groups and logins, written straight into the files.
#include <SQLiteCpp/Database.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class LibraryBuilder {
public:
    // Opens the library at libPath (its 00000000/LIB.MDE and CTRL.MDE).
    explicit LibraryBuilder(const std::string& libPath);

    // The rows every new library has: administrator (password "quillset"),
    // "Admin Group", membership 2/1, category, records 1 to 4.
    void AddInitialRows(const std::string& description = " ");

    std::int64_t AddCabinet(const std::string& name = "Cabinet");
    std::int64_t AddDrawer(std::int64_t cabinet, const std::string& name = "Drawer");
    std::int64_t AddFolder(std::int64_t drawer, const std::string& name = "Folder");

    struct Document {
        std::string location = "00000001";
        std::string filename;                // generated when empty
        std::optional<std::string> internal; // NULL when not set
        std::int64_t pages = 1;
        std::optional<std::string> updated;   // "YYYY-MM-DD HH:MM:SS"; NULL when not set
        std::optional<std::int64_t> fileSize; // no file written when not set
        std::optional<std::filesystem::file_time_type> fileTime;
    };
    // Adds the row and, when fileSize is set, its file; returns the id.
    std::int64_t AddDocument(std::int64_t folder, Document doc);

    std::int64_t AddUser(const std::string& name, const std::string& login,
                         const std::optional<std::string>& storedPassword = std::nullopt);
    std::int64_t AddGroup(const std::string& name);
    void AddMember(std::int64_t group, std::int64_t user);
    void AddAccess(std::int64_t holder, const std::string& type);
    void AddLogin(std::int64_t user, const std::optional<std::string>& when);
    void AddLock(std::int64_t image, std::int64_t user);

    std::filesystem::path FileOf(const Document& doc) const;
    SQLite::Database& Lib() { return lib_; }
    SQLite::Database& Ctrl() { return ctrl_; }

private:
    std::string libPath_;
    SQLite::Database lib_;
    SQLite::Database ctrl_;
    int nextFile_ = 1;
};

// Redefines an index on another column of its table without rebuilding it:
// the file stays readable and passes quick_check, but integrity_check finds
// the index disagreeing with the table.
void MismatchIndex(const std::string& dbFile, const std::string& index, const std::string& table,
                   const std::string& column);

// One value of a query on a database file (empty text for NULL).
std::string QueryOne(const std::string& dbFile, const std::string& sql);
std::int64_t CountRows(const std::string& dbFile, const std::string& sql);
