#include "support/ManifestWriter.h"

#include "core/backup/BackupManifest.h"
#include "core/common/Sha256.h"

#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;

void WriteManifestOf(const std::string& backupDir)
{
    const auto manifest = BackupManifest::OpenForWriting(backupDir);
    for (const auto& e : fs::recursive_directory_iterator(backupDir)) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || e.is_symlink() || name.starts_with(".") || name.starts_with("Libbackup.")) continue;
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        const FileDigest digest = DigestOfFile(e.path());
        manifest->Record({e.path().lexically_relative(backupDir).string(), digest.size,
                          std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec, digest.sha256, ""});
    }
    manifest->Commit();
}
