#pragma once
// What a restore did, counted, with the names a report gives.
#include <cstdint>
#include <string>
#include <vector>

// A count with the first few of its names.
struct NamedCount {
    std::int64_t count = 0;
    std::vector<std::string> names;

    void Add(const std::string& name);
};

struct RestoreTotals {
    std::int64_t restored = 0;  // files this run copied
    std::int64_t skipped = 0;   // files a stopped run had copied already
    std::int64_t unchecked = 0; // files the backup's manifest has no entry for
    NamedCount mismatches;      // files unlike the manifest's entry, restored all the same
    NamedCount missing;         // documents (and databases) whose file the backup lacks
    NamedCount notDue;          // documents no incremental run copies, whose file the backup lacks
    NamedCount refused;         // documents naming a file out of reach, or reached through a link
    NamedCount unreadable;      // files of the backup that could not be read

    // Every document and database came back as the manifest has it; those
    // the backup never copies by its rules are told, not held against it.
    bool Whole() const { return mismatches.count + missing.count + refused.count + unreadable.count == 0; }
};

// The report of a restore from `backup` into `dir`, lines ending "\r\n".
std::string RestoreReportText(const RestoreTotals& totals, const std::string& backup, const std::string& dir);
// The one line over the report: whole, or what to look at.
std::string RestoreHeadline(const RestoreTotals& totals);
