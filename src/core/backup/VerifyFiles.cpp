// The files of the manifest, in the order of their paths, each looked at
// once: a file the options take is opened and read whole on the helpers of
// a HashPool, its size and digest against the manifest's; any other is
// looked at with one stat, its size against the manifest's.
#include "core/backup/BackupFiles.h"
#include "core/backup/HashPool.h"
#include "core/backup/VerifyRun.h"

#include <cerrno>
#include <memory>
#include <utility>

namespace {

constexpr std::size_t kBatch = 64;

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
            return Add(VerifyKind::FileUnreadable, entry.path, "the manifest names a path outside the backup");
        if (pool_ && run_.options.readData.Takes(entry.sha256)) {
            batch_.push_back({entry.path, entry.size, entry.sha256, entry.written, entry.mtimeNs});
            if (batch_.size() == kBatch) Take(pool_->Submit(std::exchange(batch_, {})));
            return;
        }
        const BackupFileState state = files_.Look(entry.path);
        switch (state.is) {
        case BackupFileState::Is::Missing:
            return Add(VerifyKind::FileMissing, entry.path, "written " + entry.written);
        case BackupFileState::Is::NotPlain:
            return Add(VerifyKind::FileNotPlain, entry.path, "a directory, a link or a special file");
        case BackupFileState::Is::Unreadable:
            return Add(VerifyKind::FileUnreadable, entry.path, state.error);
        case BackupFileState::Is::Plain:
            if (state.size != entry.size && ByInterruptedRun(run_, state, entry.mtimeNs)) {
                ++run_.report.leftByRun;
                return;
            }
            CompareSize(entry.path, state.size, entry.size);
            return;
        }
    }

    void Finish()
    {
        if (!pool_) return;
        if (!batch_.empty()) Take(pool_->Submit(std::exchange(batch_, {})));
        Take(pool_->Drain());
    }

    void SetTotal(std::int64_t total) { total_ = total; }

private:
    void Add(VerifyKind kind, const std::string& path, const std::string& detail)
    {
        run_.report.Add({kind, 0, path, detail});
    }

    bool CompareSize(const std::string& path, std::int64_t size, std::int64_t listed)
    {
        if (size == listed) return true;
        Add(VerifyKind::SizeDiffers, path,
            std::to_string(size) + " bytes, the manifest says " + std::to_string(listed));
        return false;
    }

    void Take(const std::vector<HashPool::Outcome>& outcomes)
    {
        for (const HashPool::Outcome& o : outcomes) {
            if (o.error == ENOENT || o.error == ENOTDIR)
                Add(VerifyKind::FileMissing, o.job.path, "written " + o.job.written);
            else if (o.error == ELOOP || o.error == EINVAL) // a link, or not a plain file
                Add(VerifyKind::FileNotPlain, o.job.path, "a directory, a link or a special file");
            else if (o.error != 0)
                Add(VerifyKind::FileUnreadable, o.job.path, o.what);
            if (o.error != 0) continue;
            ++run_.report.hashed;
            run_.report.hashedBytes += o.read.size;
            const bool differs = o.read.size != o.job.size || o.read.sha256 != o.job.sha256;
            if (differs && ByInterruptedRun(run_, files_.Look(o.job.path), o.job.mtimeNs)) {
                ++run_.report.leftByRun;
                continue;
            }
            if (CompareSize(o.job.path, o.read.size, o.job.size) && o.read.sha256 != o.job.sha256)
                Add(VerifyKind::ContentDiffers, o.job.path,
                    "SHA-256 " + o.read.sha256 + ", the manifest says " + o.job.sha256);
        }
    }

    VerifyRun& run_;
    BackupFiles files_;
    std::unique_ptr<HashPool> pool_;
    std::vector<HashPool::Job> batch_;
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
