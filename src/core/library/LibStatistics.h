#pragma once
// The library statistics: counts of cabinets, drawers, folders, documents
// and pages and the size of the document files, walked over the level tree.
#include "core/library/LocationFiles.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class AppContext;
class ReadStretch;

// Kilobytes as shown: "1024 KB", "1.5 MB", "1 GB".
std::string FormatFileSize(std::int64_t kilobytes);
// bytes / 1024 rounded to one decimal, then to a whole number, halves to even.
std::int64_t BytesToKilobytes(std::int64_t bytes);

struct StatCounters {
    std::int64_t cabinets = 0;
    std::int64_t drawers = 0;
    std::int64_t folders = 0;
    std::int64_t fileSizeKB = 0;
    std::int64_t pages = 0;
};

struct StatResult {
    std::string report;
    std::int64_t fileCount = 0;
    std::int64_t fileSizeKB = 0;
};

class LibStatistics {
public:
    // Called with the documents counted so far and the maximum.
    using Progress = std::function<void(std::int64_t value, std::int64_t maximum)>;

    LibStatistics(AppContext& app, Progress progress = {});
    ~LibStatistics();

    std::int64_t GetFolderDocCount(std::int64_t folderId);
    std::int64_t GetFolderFileSize(std::int64_t folderId);
    std::int64_t GetFolderPageCount(std::int64_t folderId);
    std::int64_t GetLibDocCount();

    // Counts the documents to visit; false when the library holds none.
    bool CountDocuments();
    // Documents below node sPID; the counters are increased in place. Each
    // node is taken once, however its rows point back up the tree.
    std::int64_t CollectSubNodes(std::int64_t sPID, StatCounters& counters, bool bQUICK);
    // The whole walk and its report, for the node level "LIBRARY", node 0.
    StatResult Start(const std::string& nodeID = "0");

    std::int64_t ProgressValue() const { return value_; }
    std::int64_t ProgressMaximum() const { return maximum_; }

private:
    void Report() const;

    AppContext& app_;
    Progress progress_;
    std::int64_t value_ = 0;
    std::int64_t maximum_ = 0;
    std::unique_ptr<LocationFiles> files_;
    std::unique_ptr<ReadStretch> stretch_; // during the walk of Start
};
