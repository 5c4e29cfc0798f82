#include "core/offsite/SnapshotFetch.h"

#include "core/backup/BackupStart.h"
#include "core/common/Commons.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string RestoredSnapshotId(const std::string& line)
{
    static const std::string start = "restoring <Snapshot ";
    if (!line.starts_with(start)) return {};
    const std::string::size_type end = line.find(' ', start.size());
    return end == std::string::npos ? std::string() : line.substr(start.size(), end - start.size());
}

std::string FetchedBackupPath(const std::string& into)
{
    fs::path at(into);
    for (;;) {
        if (IsPlainFile((at / kBackupRecordName).string())) break;
        std::error_code ec;
        fs::directory_iterator it(at, ec), end;
        if (ec || it == end) break;
        const fs::directory_entry only = *it;
        if (++it != end || !only.is_directory(ec) || only.is_symlink(ec)) break;
        at = only.path();
    }
    const std::string path = at.lexically_relative(into).string();
    return path == "." ? "/" : "/" + path;
}

OffsiteRestore::Fetch FetchSnapshot(const Restic& restic, const std::string& wanted, const std::string& tagFilter)
{
    return [&restic, wanted, tagFilter](const std::string& into) {
        std::vector<std::string> args{"restore", wanted, "--target", into};
        if (wanted == "latest") args.insert(args.end(), {"--tag", tagFilter});
        const ResticRun run = restic.RunUnlocking(args);
        if (!run.Done()) return Fetched{kNotFetched + run.reason, {}};
        std::string id;
        for (const std::string& line : run.textLines)
            if (id.empty()) id = RestoredSnapshotId(line);
        return Fetched{{}, {id.empty() ? wanted : id, FetchedBackupPath(into)}};
    };
}
