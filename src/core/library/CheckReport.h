#pragma once
// What the library check found: findings by kind, each with the rows and
// names involved, the path where there is one and what the administrator
// can do about it; and how it renders as text and as JSON.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class FindingKind {
    DatabaseDamaged,
    FileMissing,
    FileNotPlain,
    FileUnreadable,
    FileEmpty,
    OrphanFile,
    BadDocumentName,
    NeverBackedUp,
    SharedFile,
    LockOfMissing,
    LoginOfMissingUser,
    StaleLogin,
    MembershipOfMissing,
    RightOfMissing,
    UserWithoutLogin,
    LibraryRecordMissing,
    AdministratorMissing,
};
inline constexpr std::size_t kFindingKinds = 17;

// The kind's name in JSON ("file-missing"), its heading in the text report
// and what the administrator can do about a finding of it.
const char* KindName(FindingKind kind);
const char* KindTitle(FindingKind kind);
const char* KindAdvice(FindingKind kind);

struct Finding {
    FindingKind kind;
    std::vector<std::int64_t> ids; // documents, folders, users, locks, ... as `detail` says
    std::vector<std::string> names;
    std::string path; // absolute, where the finding has one
    std::string detail;
    std::int64_t count = 0; // documents never backed up; bytes of an orphan file
};

struct CheckReport {
    std::string library;
    bool deep = false;
    int staleDays = 30;
    std::vector<Finding> findings;
    std::array<std::int64_t, kFindingKinds> counts{};
    // What could not be checked, and why: the report is incomplete.
    std::vector<std::string> errors;
    std::int64_t documents = 0;     // rows of `images` read
    std::int64_t storageDirs = 0;   // directories listed
    std::int64_t neverBackedUp = 0; // documents the backup walk does not reach
    std::int64_t orphanBytes = 0;   // total size of the orphan files

    void Add(Finding finding);
    // Takes back the findings `drop` picks, with their counts and totals.
    void Drop(const std::function<bool(const Finding&)>& drop);
    std::int64_t Count(FindingKind kind) const { return counts[static_cast<std::size_t>(kind)]; }
    bool HasFindings() const { return !findings.empty(); }
    bool Failed() const { return !errors.empty(); }
};

// One line about one finding, as the text report lists it.
std::string DescribeFinding(const Finding& finding);
inline constexpr const char* kCheckClean = "No findings: the library is clean.\n";
std::string RenderCheckText(const CheckReport& report);
// One JSON object, pretty-printed with `indent` spaces (-1: one line).
std::string RenderCheckJson(const CheckReport& report, int indent = 2);
