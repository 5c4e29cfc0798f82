#include "core/library/CheckReport.h"
#include "core/common/Text.h"

#include <nlohmann/json.hpp>

namespace {

struct KindText {
    const char* name;
    const char* title;
    const char* advice;
};

// In the order of FindingKind.
constexpr KindText kKinds[kFindingKinds] = {
    {"database-damaged", "Database fails its check",
     "Run Compact & Repair Library while no one uses the library; if the check still fails, restore the "
     "database from the last backup."},
    {"file-missing", "Document file missing",
     "Restore the file from a backup to the same place, or delete the document in a client."},
    {"file-not-plain", "Document file is not a plain file",
     "Put the document's file where the path shows (a link or a directory is never opened or backed up), or "
     "delete the document in a client."},
    {"file-unreadable", "Document file cannot be read",
     "Give the library's users read access to the file, or restore it from a backup."},
    {"file-empty", "Document file is empty", "Restore the file from a backup, or delete the document in a client."},
    {"orphan-file", "File that no document names",
     "Make sure no document needs it, then move it out of the library or delete it."},
    {"bad-document-name", "Document names no usable file",
     "Its file can never be opened nor backed up: correct the document's location and file name, or delete the "
     "document in a client."},
    {"never-backed-up", "Documents never backed up",
     "Move the folder, in a client, directly below a drawer that is directly below a cabinet; until then the "
     "backup skips its documents."},
    {"shared-file", "Documents sharing one file",
     "Deleting one of them deletes the file of the others: give each document its own file, or delete the "
     "extra documents in a client."},
    {"lock-of-missing", "Lock of a document or user that no longer exists",
     "Run Reset Document Locks while no one uses the library."},
    {"login-of-missing-user", "Login of a user who no longer exists", "Run Reset Active User List."},
    {"stale-login", "Login older than the given age",
     "Make sure the user is not working, then run Reset Active User List."},
    {"membership-of-missing", "Group membership of a user or group that no longer exists",
     "The row grants nothing; remove it with a database tool after a backup, or leave it."},
    {"right-of-missing", "Access right of a user or group that no longer exists",
     "The row grants nothing; remove it with a database tool after a backup, or leave it. A new user or group "
     "never takes its number."},
    {"user-without-login", "User without a login name",
     "The user cannot log in: give the user a login name in User Account, or delete the user."},
    {"library-record-missing", "Library record missing",
     "Records 2 and 3: save the description in Library Description, which adds them. Record 4 (the creation "
     "date) can only come back with the database from a backup."},
    {"administrator-missing", "Administrator account or group missing",
     "Restore the library database from a backup that has them; without the account no one can log in to the "
     "console."},
};

const KindText& Text(FindingKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

FindingKind KindAt(std::size_t i) { return static_cast<FindingKind>(i); }

std::string Headline(const CheckReport& r)
{
    std::string text = "Library check of " + r.library + " (" + (r.deep ? "integrity_check" : "quick_check") +
                       ", logins older than " + CountOf(r.staleDays, "day") + ")\n";
    text += "Documents: " + std::to_string(r.documents) +
            ", storage directories listed: " + std::to_string(r.storageDirs) + "\n\n";
    if (!r.HasFindings()) return text + (r.Failed() ? "No findings in what was checked.\n" : kCheckClean);
    text += CountOf(static_cast<long long>(r.findings.size()), "finding") + ":\n";
    for (std::size_t i = 0; i < kFindingKinds; ++i)
        if (r.counts[i] > 0) text += "  " + std::string(kKinds[i].title) + ": " + std::to_string(r.counts[i]) + "\n";
    if (r.neverBackedUp > 0)
        text += CountOf(r.neverBackedUp, "document") + (r.neverBackedUp == 1 ? " is" : " are") + " never backed up.\n";
    if (r.Count(FindingKind::OrphanFile) > 0)
        text += "Files that no document names: " + std::to_string(r.Count(FindingKind::OrphanFile)) + ", " +
                CountOf(r.orphanBytes, "byte") + " in all.\n";
    return text;
}

std::string KindSection(const CheckReport& r, FindingKind kind)
{
    std::string text = "\n" + std::string(Text(kind).title) + " (" + std::to_string(r.Count(kind)) + ")\n";
    text += "  What to do: " + std::string(Text(kind).advice) + "\n";
    for (const Finding& f : r.findings)
        if (f.kind == kind) text += "  " + DescribeFinding(f) + "\n";
    return text;
}

nlohmann::ordered_json FindingJson(const Finding& f)
{
    nlohmann::ordered_json j = {{"kind", KindName(f.kind)},
                                {"ids", f.ids},
                                {"names", f.names},
                                {"detail", f.detail},
                                {"action", KindAdvice(f.kind)}};
    if (!f.path.empty()) j["path"] = f.path;
    if (f.kind == FindingKind::NeverBackedUp) j["documents"] = f.count;
    if (f.kind == FindingKind::OrphanFile) j["bytes"] = f.count;
    return j;
}

} // namespace

const char* KindName(FindingKind kind) { return Text(kind).name; }
const char* KindTitle(FindingKind kind) { return Text(kind).title; }
const char* KindAdvice(FindingKind kind) { return Text(kind).advice; }

void CheckReport::Add(Finding finding)
{
    ++counts[static_cast<std::size_t>(finding.kind)];
    if (finding.kind == FindingKind::NeverBackedUp) neverBackedUp += finding.count;
    if (finding.kind == FindingKind::OrphanFile) orphanBytes += finding.count;
    findings.push_back(std::move(finding));
}

void CheckReport::Drop(const std::function<bool(const Finding&)>& drop)
{
    std::vector<Finding> all = std::move(findings);
    findings.clear();
    counts = {};
    neverBackedUp = orphanBytes = 0;
    for (Finding& f : all)
        if (!drop(f)) Add(std::move(f));
}

std::string DescribeFinding(const Finding& f) { return f.path.empty() ? f.detail : f.detail + ": " + f.path; }

std::string RenderCheckText(const CheckReport& r)
{
    std::string text = Headline(r);
    for (std::size_t i = 0; i < kFindingKinds; ++i)
        if (r.counts[i] > 0) text += KindSection(r, KindAt(i));
    if (r.Failed()) {
        text += "\nNot checked, the report is incomplete:\n";
        for (const std::string& e : r.errors) text += "  " + e + "\n";
    }
    return text;
}

std::string RenderCheckJson(const CheckReport& r, int indent)
{
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < kFindingKinds; ++i) counts[kKinds[i].name] = r.counts[i];
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const Finding& f : r.findings) findings.push_back(FindingJson(f));
    const nlohmann::ordered_json j = {{"library", r.library},
                                      {"check", r.deep ? "integrity_check" : "quick_check"},
                                      {"staleDays", r.staleDays},
                                      {"clean", !r.HasFindings() && !r.Failed()},
                                      {"documents", r.documents},
                                      {"storageDirectories", r.storageDirs},
                                      {"neverBackedUp", r.neverBackedUp},
                                      {"orphanBytes", r.orphanBytes},
                                      {"counts", counts},
                                      {"findings", findings},
                                      {"errors", r.errors}};
    // Names come from the file system and the database: invalid UTF-8 is replaced, not thrown.
    return j.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
