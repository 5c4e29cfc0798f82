#include "support/LibraryBuilder.h"

#include "core/data/Database.h"
#include "core/users/Password.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {
void BindOptional(SQLite::Statement& s, int index, const std::optional<std::string>& v)
{
    if (v)
        s.bind(index, *v);
    else
        s.bind(index);
}
} // namespace

LibraryBuilder::LibraryBuilder(const std::string& libPath)
    : libPath_(libPath), lib_(LibDatabaseFile(libPath), SQLite::OPEN_READWRITE, 5000),
      ctrl_(CtrlDatabaseFile(libPath), SQLite::OPEN_READWRITE, 5000)
{
}

void LibraryBuilder::AddInitialRows(const std::string& description)
{
    SQLite::Statement admin(lib_, "INSERT INTO `user-list` (`user-name`,`login-id`,`type`,`password`) "
                                  "VALUES ('Administrator','admin','U',?)");
    admin.bind(1, ScramblePassword("quillset"));
    admin.exec();
    lib_.exec("INSERT INTO `user-list` (`user-name`,`login-id`,`type`) VALUES ('Admin Group','admin','G')");
    lib_.exec("INSERT INTO `user-group` (gid, uid) VALUES (2, 1)");
    lib_.exec("INSERT INTO `doccat-list` (`doccat-desc`,`key1-name`,`key2-name`) "
              "VALUES ('Un-classified','Received by','From Source')");
    lib_.exec("UPDATE `lib-ctrl` SET `subpath`='00000001', `filecount`=0 WHERE `rec-id`=1");
    lib_.exec("INSERT INTO `lib-ctrl` (`subpath`,`filecount`) VALUES ('210', 2)");
    SQLite::Statement desc(lib_, "INSERT INTO `lib-ctrl` (`subpath`,`filecount`) VALUES (?, 3)");
    desc.bind(1, description);
    desc.exec();
    lib_.exec("INSERT INTO `lib-ctrl` (`subpath`,`filecount`) VALUES ('2026-01-02 03:04:05', 4)");
}

std::int64_t LibraryBuilder::AddCabinet(const std::string& name)
{
    SQLite::Statement s(lib_, "INSERT INTO `level` (pid, type, name) VALUES (0, 'C', ?)");
    s.bind(1, name);
    s.exec();
    return lib_.getLastInsertRowid();
}

std::int64_t LibraryBuilder::AddDrawer(std::int64_t cabinet, const std::string& name)
{
    SQLite::Statement s(lib_, "INSERT INTO `level` (pid, type, name) VALUES (?, 'D', ?)");
    s.bind(1, static_cast<int64_t>(cabinet));
    s.bind(2, name);
    s.exec();
    return lib_.getLastInsertRowid();
}

std::int64_t LibraryBuilder::AddFolder(std::int64_t drawer, const std::string& name)
{
    SQLite::Statement s(lib_, "INSERT INTO `level` (pid, type, name) VALUES (?, 'F', ?)");
    s.bind(1, static_cast<int64_t>(drawer));
    s.bind(2, name);
    s.exec();
    return lib_.getLastInsertRowid();
}

fs::path LibraryBuilder::FileOf(const Document& doc) const { return fs::path(libPath_) / doc.location / doc.filename; }

std::int64_t LibraryBuilder::AddDocument(std::int64_t folder, Document doc)
{
    if (doc.filename.empty()) doc.filename = "DOC" + std::to_string(nextFile_++) + ".TIF";
    SQLite::Statement s(lib_, "INSERT INTO `images` (`folder-id`,`filename`,`location`,`internal`,"
                              "`page-count`,`updated-date`) VALUES (?,?,?,?,?,?)");
    s.bind(1, static_cast<int64_t>(folder));
    s.bind(2, doc.filename);
    s.bind(3, doc.location);
    BindOptional(s, 4, doc.internal);
    s.bind(5, static_cast<int64_t>(doc.pages));
    BindOptional(s, 6, doc.updated);
    s.exec();
    if (doc.fileSize) {
        const fs::path file = FileOf(doc);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << std::string(static_cast<std::size_t>(*doc.fileSize), 'x');
        if (doc.fileTime) fs::last_write_time(file, *doc.fileTime);
    }
    return lib_.getLastInsertRowid();
}

std::int64_t LibraryBuilder::AddUser(const std::string& name, const std::string& login,
                                     const std::optional<std::string>& storedPassword)
{
    SQLite::Statement s(lib_, "INSERT INTO `user-list` (`user-name`,`login-id`,`type`,`password`) "
                              "VALUES (?,?,'U',?)");
    s.bind(1, name);
    s.bind(2, login);
    BindOptional(s, 3, storedPassword);
    s.exec();
    return lib_.getLastInsertRowid();
}

std::int64_t LibraryBuilder::AddGroup(const std::string& name)
{
    SQLite::Statement s(lib_, "INSERT INTO `user-list` (`user-name`,`type`) VALUES (?,'G')");
    s.bind(1, name);
    s.exec();
    return lib_.getLastInsertRowid();
}

void LibraryBuilder::AddMember(std::int64_t group, std::int64_t user)
{
    SQLite::Statement s(lib_, "INSERT INTO `user-group` (gid, uid) VALUES (?,?)");
    s.bind(1, static_cast<int64_t>(group));
    s.bind(2, static_cast<int64_t>(user));
    s.exec();
}

void LibraryBuilder::AddAccess(std::int64_t holder, const std::string& type)
{
    SQLite::Statement s(lib_, "INSERT INTO `level-access` (uid, type) VALUES (?,?)");
    s.bind(1, static_cast<int64_t>(holder));
    s.bind(2, type);
    s.exec();
}

void LibraryBuilder::AddLogin(std::int64_t user, const std::optional<std::string>& when)
{
    SQLite::Statement s(ctrl_, "INSERT INTO `active-list` (uid, `log-date`) VALUES (?,?)");
    s.bind(1, static_cast<int64_t>(user));
    BindOptional(s, 2, when);
    s.exec();
}

void LibraryBuilder::AddLock(std::int64_t image, std::int64_t user)
{
    SQLite::Statement s(ctrl_, "INSERT INTO `locking` (`image-id`, uid) VALUES (?,?)");
    s.bind(1, static_cast<int64_t>(image));
    s.bind(2, static_cast<int64_t>(user));
    s.exec();
}

void MismatchIndex(const std::string& dbFile, const std::string& index, const std::string& table,
                   const std::string& column)
{
    SQLite::Database db(dbFile, SQLite::OPEN_READWRITE, 5000);
    db.exec("PRAGMA writable_schema=ON");
    SQLite::Statement s(db, "UPDATE sqlite_master SET sql=? WHERE type='index' AND name=?");
    s.bind(1, "CREATE INDEX `" + index + "` ON `" + table + "` (`" + column + "`)");
    s.bind(2, index);
    if (s.exec() != 1) throw std::runtime_error("no index " + index);
    db.exec("PRAGMA writable_schema=OFF");
}

std::string QueryOne(const std::string& dbFile, const std::string& sql)
{
    SQLite::Database db(dbFile, SQLite::OPEN_READONLY, 5000);
    SQLite::Statement s(db, sql);
    if (!s.executeStep()) return "<no row>";
    return s.getColumn(0).isNull() ? std::string() : s.getColumn(0).getString();
}

std::int64_t CountRows(const std::string& dbFile, const std::string& sql)
{
    SQLite::Database db(dbFile, SQLite::OPEN_READONLY, 5000);
    return db.execAndGet(sql).getInt64();
}
