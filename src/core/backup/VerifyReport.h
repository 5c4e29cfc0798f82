#pragma once
// What the verify of a backup found: findings by kind, each with the
// document where there is one, the path in the backup and what is wrong;
// the counts of what was looked at; and how it renders as text and JSON.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// In the order a report tells them: what explains the rest comes first.
enum class VerifyKind {
    RunInterrupted,
    RecordBad,
    DatabaseDamaged,
    DocumentMissing,
    FileMissing,
    FileNotPlain,
    FileUnreadable,
    SizeDiffers,
    ContentDiffers,
    Owed,
};
inline constexpr std::size_t kVerifyKinds = 10;
inline constexpr std::size_t kVerifyFindingsKept = 10000;

// The kind's name in JSON ("file-missing"), its heading in the text report
// and what the administrator can do about a finding of it.
const char* VerifyKindName(VerifyKind kind);
const char* VerifyKindTitle(VerifyKind kind);
const char* VerifyKindAdvice(VerifyKind kind);

struct VerifyFinding {
    VerifyKind kind;
    std::int64_t document = 0; // the row of `images`; 0 when none is known
    std::string path;          // relative to the backup directory, where there is one
    std::string detail;
};

struct VerifyReport {
    std::string backup;
    std::string from; // the library the record names
    std::string date; // the record's date
    bool manifest = false;
    std::string readData = "none"; // "all", "none" or "bucket B of N"
    bool reached = false;          // the directory was a backup, and no run was working in it
    // The first findings, named; past kVerifyFindingsKept only counted, so
    // a backup missing everything still fits in memory.
    std::vector<VerifyFinding> findings;
    std::int64_t findingsOmitted = 0;
    std::array<std::int64_t, kVerifyKinds> counts{};
    // What could not be verified, and why: the report is incomplete.
    std::vector<std::string> errors;
    std::int64_t manifestFiles = 0; // files the manifest lists, each looked at
    std::int64_t documents = 0;     // documents the walk reaches in the backup's LIB.MDE
    std::int64_t noEntryYet = 0;    // of those, files there but not in the manifest
    std::int64_t unusableNames = 0; // documents whose names no backup can copy
    std::int64_t notDue = 0;        // documents no incremental run copies, without a file: no finding
    std::int64_t leftByRun = 0;     // copies and documents an interrupted run left half done: no finding
    std::int64_t hashed = 0;        // files re-read and their digest compared
    std::int64_t hashedBytes = 0;

    void Add(VerifyFinding finding);
    // Takes in the findings, counts and errors of a part that ran apart.
    void Merge(VerifyReport&& part);
    std::int64_t Count(VerifyKind kind) const { return counts[static_cast<std::size_t>(kind)]; }
    bool HasFindings() const { return !findings.empty() || findingsOmitted > 0; }
    bool Failed() const { return !errors.empty(); }
};

inline constexpr const char* kVerifyWhole = "No findings: the backup is whole.\n";

std::string DescribeVerifyFinding(const VerifyFinding& finding);
std::string RenderVerifyText(const VerifyReport& report);
// One JSON object, pretty-printed with `indent` spaces (-1: one line).
std::string RenderVerifyJson(const VerifyReport& report, int indent = 2);
// The one line over the report: incomplete, the findings counted, or whole.
std::string VerifyHeadline(const VerifyReport& report);
