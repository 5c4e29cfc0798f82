#pragma once
// A library of documents of up to 60 KB in two storage directories, and the
// power-cut disk attached with the kernel's write-back off: where the
// power-cut trials start.
#include "PowerCutDisk.h"
#include "support/BackupFixture.h"

#include <memory>
#include <random>

class PowerCutTest : public BackupTest {
protected:
    std::vector<LibraryBuilder::Document> docs;
    std::unique_ptr<WritebackOff> writeback;
    Disk disk{env.root / "disk"};

    // Skips the test, saying why, where the disk cannot be had. Document i
    // is filled with `fill(i)`.
    void SetUpDisk(int documents, char (*fill)(int))
    {
        BackupTest::SetUp();
        if (const std::string why = PowerCutsUnavailable(); !why.empty()) GTEST_SKIP() << why;
        const std::filesystem::path image = env.root / "disk.img";
        if (const std::string why = MakeExt4Image(image, 48); !why.empty()) GTEST_SKIP() << why;
        if (const std::string why = disk.Attach(image); !why.empty()) GTEST_SKIP() << why;
        writeback = std::make_unique<WritebackOff>();
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> size(1, 60000);
        for (int i = 0; i < documents; ++i) {
            docs.push_back(Doc("DOC" + std::to_string(i) + ".TIF"));
            docs.back().location = "0000000" + std::to_string(1 + i % 2);
            builder.AddDocument(folder, docs.back());
            WriteFile(builder.FileOf(docs.back()), std::string(static_cast<std::size_t>(size(rng)), fill(i)));
        }
    }
    void TearDown() override { disk.Detach(); }
};
