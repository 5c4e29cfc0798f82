#pragma once
// A library with a cabinet, a drawer and a folder, and a backup run on it.
#include "core/backup/LibBackupRun.h"
#include "core/common/IniFile.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

template <typename Env>
class BackupTestOf : public ::testing::Test {
protected:
    Env env;
    std::string lib = env.MakeBareLibrary("lib");
    std::string backup = (env.root / "backup").string();
    LibraryBuilder builder{lib};
    std::int64_t folder = 0;

    void SetUp() override
    {
        builder.AddInitialRows();
        folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
        env.Activate(lib);
        env.app->state.gsBackupLibPath = backup;
    }

    LibraryBuilder::Document Doc(const std::string& name, std::optional<std::string> internal = "1",
                                 std::optional<std::string> updated = "2020-01-01 10:00:00")
    {
        LibraryBuilder::Document d;
        d.filename = name;
        d.internal = std::move(internal);
        d.updated = std::move(updated);
        d.fileSize = 100;
        d.fileTime = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
        return d;
    }

    static std::optional<std::uint64_t> Plenty(const std::string&) { return std::uint64_t{1} << 40; }

    // The first run creates the backup directory, as a Yes to the question would.
    bool Run(LibBackupRun& run)
    {
        run.missingPath = MissingBackupPath::Create;
        return run.LibBackup(1000);
    }
    bool Run()
    {
        LibBackupRun run(*env.app, Plenty);
        const bool ok = Run(run);
        last = run.Totals();
        report = run.ReportText();
        return ok;
    }
    std::filesystem::path Copied(const std::string& name) const
    {
        return std::filesystem::path(backup) / "00000001" / name;
    }
    std::string Record(const std::string& key) const { return IniRead(backup + "/Libbackup.ini", "LASTBACKUP", key); }

    BackupTotals last;
    std::string report;
};

using BackupTest = BackupTestOf<TestEnv>;
