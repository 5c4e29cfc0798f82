#include "core/backup/VerifyReport.h"
#include "core/common/Text.h"

#include <nlohmann/json.hpp>

namespace {

struct KindText {
    const char* name;
    const char* title;
    const char* advice;
};

// In the order of VerifyKind.
constexpr KindText kKinds[kVerifyKinds] = {
    {"run-interrupted", "Backup run interrupted",
     "Run Backup again into this directory: it finishes what the interrupted run left. Until then the copies "
     "that run made are not in the manifest, and the record may be older than they are."},
    {"record-bad", "Backup record missing or unreadable",
     "Run the backup again into this directory: a run that ends writes the record."},
    {"database-damaged", "Database copy missing or failing its check",
     "Run the backup again: a damaged or missing copy is made anew. Until then do not restore from this backup; "
     "without a sound LIB.MDE copy its documents are not verified."},
    {"document-missing", "Document without its file in the backup",
     "A backup run copies a document again only once it changes: copy the file from the library to the same "
     "place in the backup, or back up into a new directory. If the file is missing in the library too, run "
     "rezud check."},
    {"file-missing", "File of the manifest gone from the backup",
     "A backup run copies a document again only once it changes: copy the file from the library to the same "
     "place in the backup, or back up into a new directory."},
    {"file-not-plain", "File in the backup is not a plain file",
     "Move what is in the way out of the backup and run the backup again."},
    {"file-unreadable", "File in the backup cannot be read",
     "Give this user read access to the backup, or look at the disk: reading failed."},
    {"size-differs", "File size differs from the manifest",
     "The copy was changed or cut short after it was written: copy the file from the library again, or "
     "restore it from another backup."},
    {"content-differs", "File content differs from the manifest",
     "The copy's bytes changed after it was written (the disk, or a person): copy the file from the library "
     "again, or restore it from another backup."},
    {"owed", "Document the backup owes",
     "The next backup copies it first; if its file is missing in the library, restore it there or delete the "
     "document in a client."},
};

const KindText& Text(VerifyKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

std::string Summary(const VerifyReport& r)
{
    std::string text = "Verify of backup " + r.backup + "\n";
    text += "Made from: " + (r.from.empty() ? std::string("(unknown)") : r.from) +
            ", date: " + (r.date.empty() ? std::string("(none)") : r.date) + "\n";
    if (!r.manifest) text += "No manifest: the backup was made before manifests were kept.\n";
    text += "Files of the manifest checked: " + std::to_string(r.manifestFiles) +
            ", documents reached: " + std::to_string(r.documents) + ", no entry yet: " + std::to_string(r.noEntryYet) +
            ", owed: " + std::to_string(r.Count(VerifyKind::Owed)) + "\n";
    text += "Re-read (" + r.readData + "): " + CountOf(r.hashed, "file") + ", " + CountOf(r.hashedBytes, "byte") + "\n";
    if (r.unusableNames > 0)
        text += CountOf(r.unusableNames, "document") + (r.unusableNames == 1 ? " has a name" : " have names") +
                " no backup can copy (see rezud check).\n";
    if (r.leftByRun > 0)
        text += CountOf(r.leftByRun, "file or document", "files and documents") + (r.leftByRun == 1 ? " is" : " are") +
                " as the interrupted run left them, copied but not yet in the manifest "
                "or not yet copied: the next run completes them.\n";
    if (r.notDue > 0)
        text += CountOf(r.notDue, "document") + " without a file in the backup " +
                (r.notDue == 1 ? "is one" : "are ones") +
                " no incremental backup copies "
                "(code empty, 0 or C, or no update date).\n";
    text += "\n";
    // A backup is whole only when all of it was verified.
    if (!r.HasFindings()) return text + (r.Failed() ? "No findings in what was verified.\n" : kVerifyWhole);
    std::int64_t total = 0;
    for (const std::int64_t n : r.counts) total += n;
    text += CountOf(total, "finding") + ":\n";
    for (std::size_t i = 0; i < kVerifyKinds; ++i)
        if (r.counts[i] > 0) text += "  " + std::string(kKinds[i].title) + ": " + std::to_string(r.counts[i]) + "\n";
    return text;
}

std::string KindSection(const VerifyReport& r, VerifyKind kind)
{
    std::string text = "\n" + std::string(Text(kind).title) + " (" + std::to_string(r.Count(kind)) + ")\n";
    text += "  What to do: " + std::string(Text(kind).advice) + "\n";
    for (const VerifyFinding& f : r.findings)
        if (f.kind == kind) text += "  " + std::string(Text(kind).name) + " " + DescribeVerifyFinding(f) + "\n";
    return text;
}

nlohmann::ordered_json FindingJson(const VerifyFinding& f)
{
    nlohmann::ordered_json j = {{"kind", VerifyKindName(f.kind)}};
    if (f.document != 0) j["document"] = f.document;
    if (!f.path.empty()) j["path"] = f.path;
    j["detail"] = f.detail;
    j["action"] = VerifyKindAdvice(f.kind);
    return j;
}

} // namespace

const char* VerifyKindName(VerifyKind kind) { return Text(kind).name; }
const char* VerifyKindTitle(VerifyKind kind) { return Text(kind).title; }
const char* VerifyKindAdvice(VerifyKind kind) { return Text(kind).advice; }

void VerifyReport::Add(VerifyFinding finding)
{
    ++counts[static_cast<std::size_t>(finding.kind)];
    if (findings.size() < kVerifyFindingsKept)
        findings.push_back(std::move(finding));
    else
        ++findingsOmitted;
}

void VerifyReport::Merge(VerifyReport&& part)
{
    for (VerifyFinding& f : part.findings) {
        --part.counts[static_cast<std::size_t>(f.kind)];
        Add(std::move(f));
    }
    for (std::size_t i = 0; i < kVerifyKinds; ++i) counts[i] += part.counts[i]; // those not listed
    findingsOmitted += part.findingsOmitted;
    errors.insert(errors.end(), part.errors.begin(), part.errors.end());
    manifestFiles += part.manifestFiles;
    documents += part.documents;
    noEntryYet += part.noEntryYet;
    unusableNames += part.unusableNames;
    notDue += part.notDue;
    leftByRun += part.leftByRun;
    hashed += part.hashed;
    hashedBytes += part.hashedBytes;
    if (part.readData != "none") readData = part.readData;
}

std::string DescribeVerifyFinding(const VerifyFinding& f)
{
    std::string text;
    if (f.document != 0) text += "document " + std::to_string(f.document) + " ";
    if (!f.path.empty()) text += f.path + " ";
    return text + "(" + f.detail + ")";
}

std::string RenderVerifyText(const VerifyReport& r)
{
    std::string text = Summary(r);
    for (std::size_t i = 0; i < kVerifyKinds; ++i)
        if (r.counts[i] > 0) text += KindSection(r, static_cast<VerifyKind>(i));
    if (r.findingsOmitted > 0)
        text += "\n" + CountOf(r.findingsOmitted, "further finding") + (r.findingsOmitted == 1 ? " is" : " are") +
                " counted above but not listed.\n";
    if (r.Failed()) {
        text += "\nNot verified, the report is incomplete:\n";
        for (const std::string& e : r.errors) text += "  " + e + "\n";
    }
    return text;
}

std::string RenderVerifyJson(const VerifyReport& r, int indent)
{
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < kVerifyKinds; ++i) counts[kKinds[i].name] = r.counts[i];
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const VerifyFinding& f : r.findings) findings.push_back(FindingJson(f));
    const nlohmann::ordered_json j = {{"backup", r.backup},
                                      {"from", r.from},
                                      {"date", r.date},
                                      {"manifest", r.manifest},
                                      {"readData", r.readData},
                                      {"whole", !r.HasFindings() && !r.Failed()},
                                      {"manifestFiles", r.manifestFiles},
                                      {"documents", r.documents},
                                      {"noEntryYet", r.noEntryYet},
                                      {"owed", r.Count(VerifyKind::Owed)},
                                      {"unusableNames", r.unusableNames},
                                      {"notDue", r.notDue},
                                      {"leftByRun", r.leftByRun},
                                      {"hashed", r.hashed},
                                      {"hashedBytes", r.hashedBytes},
                                      {"counts", counts},
                                      {"findings", findings},
                                      {"findingsOmitted", r.findingsOmitted},
                                      {"errors", r.errors}};
    // Names come from the file system and the database: invalid UTF-8 is replaced, not thrown.
    return j.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string VerifyHeadline(const VerifyReport& r)
{
    if (r.Failed()) return "The verify is incomplete: see the end of the report.";
    if (!r.HasFindings()) return "No findings: the backup is whole.";
    std::int64_t total = 0;
    for (const std::int64_t n : r.counts) total += n;
    return total == 1 ? "1 finding: see the report for what to do."
                      : std::to_string(total) + " findings: see the report for what to do.";
}
