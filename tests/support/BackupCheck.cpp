#include "support/BackupCheck.h"

#include "core/backup/BackupLock.h"
#include "core/backup/BackupManifest.h"
#include "core/common/AtomicFile.h"
#include "core/common/Sha256.h"
#include "core/common/SpareFiles.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <sys/stat.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr const char* kControlDir = "00000000";

// Nanoseconds since 1970, as the manifest keeps them.
std::int64_t MtimeNs(const fs::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) throw std::runtime_error("cannot read the time of " + file.string());
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

FileVersion Read(const fs::path& file) { return {ReadFile(file), MtimeNs(file)}; }

// Plain files below `root` outside its control directory, with the hidden
// ones when `hidden`; paths relative to `root`.
template <typename Visit>
void Walk(const std::string& root, bool hidden, Visit visit)
{
    if (!fs::exists(root)) return; // a first run killed before it made the directory
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path rel = it->path().lexically_relative(root);
        if (it.depth() == 0 && rel == kControlDir) {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file() || it.depth() == 0) continue; // the backup's own files
        if (!hidden && rel.filename().string().starts_with(".")) continue;
        visit(rel.string(), it->path());
    }
}

void CheckDatabases(const std::string& backup, bool mustExist, std::vector<std::string>& problems)
{
    for (const char* name : {"LIB.MDE", "CTRL.MDE"}) {
        const fs::path copy = fs::path(backup) / kControlDir / name;
        if (!fs::exists(copy)) {
            if (mustExist) problems.push_back(copy.string() + ": missing");
            continue;
        }
        std::string check;
        try {
            check = QueryOne(copy.string(), "PRAGMA integrity_check");
        } catch (const std::exception& e) {
            check = e.what();
        }
        if (check != "ok") problems.push_back(copy.string() + ": " + check);
    }
}

std::string Sha256Of(const std::string& bytes)
{
    Sha256 sha;
    sha.Update(bytes.data(), bytes.size());
    return sha.Hex();
}

// The manifest reaches the disk before the record: it holds what every copy
// and both database copies hold, and owes nothing.
void CheckManifest(const std::string& backup, const DocumentFiles& documents, std::vector<std::string>& problems)
{
    const auto manifest = BackupManifest::OpenForReading(backup);
    if (!manifest) return problems.push_back("no manifest");
    for (const auto& [rel, version] : documents) {
        const auto entry = manifest->Entry(rel);
        if (!entry)
            problems.push_back(rel + ": not in the manifest");
        else if (entry->size != static_cast<std::int64_t>(version.bytes.size()) || entry->mtimeNs != version.mtimeNs ||
                 entry->sha256 != Sha256Of(version.bytes))
            problems.push_back(rel + ": the manifest says otherwise");
    }
    for (const std::string rel : {"00000000/LIB.MDE", "00000000/CTRL.MDE"}) {
        const auto entry = manifest->Entry(rel);
        const FileDigest copy = DigestOfFile(fs::path(backup) / rel);
        if (!entry || entry->size != copy.size || entry->sha256 != copy.sha256)
            problems.push_back(rel + ": the manifest says otherwise");
    }
    manifest->ForEachOwed([&](const OwedDocument& d) { problems.push_back(d.path + ": owed (" + d.reason + ")"); });
}

} // namespace

DocumentFiles ReadDocumentFiles(const std::string& lib)
{
    DocumentFiles files;
    Walk(lib, false, [&](const std::string& rel, const fs::path& file) { files[rel] = Read(file); });
    return files;
}

std::vector<std::string> CopyProblems(const std::string& lib, const std::string& backup)
{
    std::vector<std::string> problems;
    const DocumentFiles documents = ReadDocumentFiles(lib);
    for (const auto& [rel, version] : documents) {
        const fs::path copy = fs::path(backup) / rel;
        if (!fs::is_regular_file(copy))
            problems.push_back(rel + ": not in the backup");
        else if (Read(copy).bytes != version.bytes)
            problems.push_back(rel + ": other bytes in the backup");
        else if (MtimeNs(copy) != version.mtimeNs)
            problems.push_back(rel + ": another time in the backup");
    }
    CheckDatabases(backup, true, problems);
    if (problems.empty()) CheckManifest(backup, documents, problems);
    return problems;
}

std::vector<std::string> BackupProblems(const std::string& lib, const std::string& backup)
{
    std::vector<std::string> problems = CopyProblems(lib, backup);
    // Spares are old copies kept for the next run to write over; the lock
    // names every one, or the next run could not tell them from leftovers.
    std::set<std::string> kept;
    if (const auto lock = BackupLock::Take(backup)) {
        if (lock->LastRunUnfinished()) problems.push_back("the lock says the last run did not end");
        for (const BackupLock::Spare& s : lock->KeptSpares()) kept.insert(s.path);
    } else {
        problems.push_back("a run holds the lock");
    }
    for (const auto& e : fs::recursive_directory_iterator(backup)) {
        const std::string name = e.path().filename().string();
        if (IsWorkFileName(name)) problems.push_back(e.path().string() + ": work file left");
        if (SpareFiles::IsSpareName(name) && !kept.contains(e.path().lexically_relative(backup).string()))
            problems.push_back(e.path().string() + ": spare that the lock does not name");
    }
    return problems;
}

std::vector<std::string> TornFiles(const std::string& backup, const DocumentFiles& before, const DocumentFiles& after)
{
    std::vector<std::string> problems;
    Walk(backup, false, [&](const std::string& rel, const fs::path& file) {
        const FileVersion copy = Read(file);
        const auto old = before.find(rel), now = after.find(rel);
        if ((old == before.end() || old->second != copy) && (now == after.end() || now->second != copy))
            problems.push_back(rel + ": neither the old nor the new copy (" + std::to_string(copy.bytes.size()) +
                               " bytes)");
    });
    for (const auto& [rel, version] : before)
        if (!fs::exists(fs::path(backup) / rel)) problems.push_back(rel + ": gone from the backup");
    CheckDatabases(backup, false, problems);
    return problems;
}

std::string Lines(const std::vector<std::string>& problems)
{
    std::string text;
    for (const std::string& p : problems) text += p + "\n";
    return text;
}
