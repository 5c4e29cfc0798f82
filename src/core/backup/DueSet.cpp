#include "core/backup/DueSet.h"

#include "core/backup/BackupManifest.h"
#include "core/common/ReadAhead.h"
#include "core/data/Database.h"
#include "core/library/DocumentPath.h"

#include <sys/stat.h>

#include <cerrno>

namespace {

class DueReader {
public:
    DueReader(Database& db, const DueRequest& request) : db_(db), r_(request) {}

    DueSet Read()
    {
        for (const std::string& file : {LibDatabaseFile(r_.libPath), CtrlDatabaseFile(r_.libPath)})
            set_.bytes += ReadSourceState(file).size;
        if (!r_.copyAll) ReadOwed();
        ForEachDueRange(db_, {r_.copyAll ? "" : r_.sinceIso}, r_.ranges.ids, [&](const std::vector<DueRow>& rows) {
            for (const DueRow& due : rows)
                if (r_.reached->contains(due.folder) && !owed_.contains(due.row.id)) Take(due.row);
            // Past the bound, the copies read the rest again from here.
            if (holding_ && set_.held.size() >= static_cast<std::size_t>(r_.ranges.held)) {
                holding_ = false;
                set_.resumeAt = rows.back().row.id + 1;
            }
            if (r_.readAhead) r_.readAhead->Send();
        });
        return std::move(set_);
    }

private:
    // The owed are copied first, whatever their dates or folders.
    void ReadOwed()
    {
        const auto manifest = BackupManifest::OpenExisting(r_.backupPath);
        if (!manifest) return;
        manifest->ForEachOwed([&](const OwedDocument& d) { owed_.insert(d.id); });
        for (const std::int64_t id : owed_) {
            ResultSet rs = Required(db_.QueryExe(kOneDocumentSql, "R", {id}));
            if (!rs.Eof()) set_.bytes += Source(DocumentRowOf(rs)).size;
        }
    }

    static bool Readable(const DocumentRow& row)
    {
        return !row.filename.empty() && IsSafeDocumentPath(row.location, row.filename);
    }
    SourceState Source(const DocumentRow& row) const
    {
        return Readable(row) ? ReadSourceState(r_.libPath + "/" + row.Path()) : SourceState{};
    }

    // A changed document is due when its file is newer than the last run,
    // or cannot be copied (the copies owe or report it).
    void Take(const DocumentRow& row)
    {
        const SourceState source = Source(row);
        const bool found = Readable(row) && source.error == 0 && !source.link;
        if (!r_.copyAll && found && source.mtime <= r_.since) return;
        set_.bytes += source.size;
        if (r_.copyAll || !holding_) return;
        set_.held.push_back({row, source});
        if (r_.readAhead && found) r_.readAhead->Add(r_.libPath + "/" + row.Path(), source.size);
    }

    Database& db_;
    const DueRequest& r_;
    DueSet set_;
    std::unordered_set<std::int64_t> owed_;
    bool holding_ = true;
};

} // namespace

SourceState ReadSourceState(const std::string& file)
{
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0) return {errno};
    return {0, S_ISLNK(st.st_mode), st.st_mtime, S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0};
}

DueSet ReadDueSet(Database& db, const DueRequest& request) { return DueReader(db, request).Read(); }
