// The files of the manifest, in the order of their paths: each looked at
// once, its size against the manifest's, and when the options take it, its
// bytes re-read on the helpers of a HashPool against the stored digest.
#include "core/backup/BackupFiles.h"
#include "core/backup/HashPool.h"
#include "core/backup/VerifyRun.h"

#include <memory>

namespace {

class FilePass {
public:
    explicit FilePass(VerifyRun& run) : run_(run), files_(run.backup)
    {
        if (run.options.readData.TakesAny()) pool_ = std::make_unique<HashPool>(run.backup, run.options.workers);
    }

    void Visit(const ManifestEntry& entry)
    {
        VerifyReport& report = run_.report;
        if (++report.manifestFiles % 4096 == 0) run_.Progress("Files of the manifest", report.manifestFiles, total_);
        if (!IsBackupPath(entry.path))
            return report.Add(
                {VerifyKind::FileUnreadable, 0, entry.path, "the manifest names a path outside the backup"});
        const BackupFileState state = files_.Look(entry.path);
        switch (state.is) {
        case BackupFileState::Is::Missing:
            return report.Add({VerifyKind::FileMissing, 0, entry.path, "written " + entry.written});
        case BackupFileState::Is::NotPlain:
            return report.Add({VerifyKind::FileNotPlain, 0, entry.path, "a directory, a link or a special file"});
        case BackupFileState::Is::Unreadable:
            return report.Add({VerifyKind::FileUnreadable, 0, entry.path, state.error});
        case BackupFileState::Is::Plain:
            break;
        }
        if (state.size != entry.size)
            return report.Add({VerifyKind::SizeDiffers, 0, entry.path,
                               std::to_string(state.size) + " bytes, the manifest says " + std::to_string(entry.size)});
        if (pool_ && run_.options.readData.Takes(entry.sha256)) Take(pool_->Submit({entry.path, entry.sha256}));
    }

    void Finish()
    {
        if (pool_) Take(pool_->Drain());
    }

    void SetTotal(std::int64_t total) { total_ = total; }

private:
    void Take(const std::vector<HashPool::Outcome>& outcomes)
    {
        VerifyReport& report = run_.report;
        for (const HashPool::Outcome& o : outcomes) {
            if (!o.error.empty()) {
                report.Add({VerifyKind::FileUnreadable, 0, o.job.path, o.error});
                continue;
            }
            ++report.hashed;
            report.hashedBytes += o.read.size;
            if (o.read.sha256 != o.job.sha256)
                report.Add({VerifyKind::ContentDiffers, 0, o.job.path,
                            "SHA-256 " + o.read.sha256 + ", the manifest says " + o.job.sha256});
        }
    }

    VerifyRun& run_;
    BackupFiles files_;
    std::unique_ptr<HashPool> pool_;
    std::int64_t total_ = 0;
};

std::string ReadDataText(const VerifySubset& subset)
{
    if (!subset.TakesAny()) return "none";
    if (subset.TakesAll()) return "all";
    return "share " + std::to_string(subset.Bucket() + 1) + " of " + std::to_string(subset.Buckets());
}

} // namespace

void VerifyManifestFiles(VerifyRun& run)
{
    run.report.readData = ReadDataText(run.options.readData);
    FilePass pass(run);
    pass.SetTotal(run.manifest->EntryCount());
    run.manifest->ForEachEntry([&](const ManifestEntry& entry) { pass.Visit(entry); });
    pass.Finish();
}
