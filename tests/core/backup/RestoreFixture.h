#pragma once
// A library backed up once, with its manifest, and a directory to restore
// it into.
#include "core/backup/LibraryRestore.h"
#include "support/BackupFixture.h"

#include <sys/stat.h>

#include <map>

class RestoreTest : public BackupTest {
protected:
    std::string dir = (env.root / "restored").string();
    std::vector<LibraryBuilder::Document> docs;
    RestoreTotals totals;

    // `count` documents of a few kilobytes each, their files' times in
    // nanoseconds, backed up: the run writes the manifest.
    void BackedUp(int count, const std::string& location = "00000001")
    {
        for (int i = 0; i < count; ++i) {
            auto d = Doc(location + "-" + std::to_string(i) + ".tif");
            d.location = location;
            d.fileSize = 1000 + 37 * i;
            builder.AddDocument(folder, d);
            docs.push_back(d);
        }
        ASSERT_TRUE(Run()) << ::testing::PrintToString(env.prompter.Texts());
    }

    bool Restore(const std::string& active = "", const std::function<void(LibraryRestore&)>& setUp = {})
    {
        LibraryRestore restore(env.prompter, backup, dir);
        if (setUp) setUp(restore);
        const bool ok = restore.Run(active);
        totals = restore.Totals();
        return ok;
    }

    // Every file below `root` that is not hidden, by path relative to it.
    static std::map<std::string, std::string> Files(const std::string& root)
    {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(root))
            if (e.is_regular_file() && !e.path().filename().string().starts_with("."))
                files[e.path().lexically_relative(root).string()] = ReadFile(e.path());
        return files;
    }
    static std::vector<std::string> Hidden(const std::string& root)
    {
        std::vector<std::string> hidden;
        for (const auto& e : std::filesystem::recursive_directory_iterator(root))
            if (e.path().filename().string().starts_with(".")) hidden.push_back(e.path().filename().string());
        return hidden;
    }
    static struct stat Stat(const std::string& path)
    {
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st;
    }
};
