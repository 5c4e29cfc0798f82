#pragma once
// Fills a library with cabinets, drawers, folders, documents and their files.
#include <cstdint>
#include <string>
#include <vector>

struct GenerateOptions {
    std::int64_t documents = 200000;
    int documentsPerFolder = 50;
    int foldersPerDrawer = 20;
    int drawersPerCabinet = 20;
    std::uint32_t seed = 20261208;
};

void FillLibrary(const std::string& lib, const GenerateOptions& options);

// Marks `percent` of the documents as changed now: row date and file time.
// The changed files' paths below the library go to `changed` when given.
std::int64_t ChangeDocuments(const std::string& lib, double percent, std::uint32_t seed,
                             std::vector<std::string>* changed = nullptr);
