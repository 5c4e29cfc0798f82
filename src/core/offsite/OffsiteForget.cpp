#include "core/offsite/OffsiteForget.h"

#include "core/offsite/OffsiteSnapshots.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

// What the policy would remove, as restic's dry run says.
std::optional<std::vector<std::string>> PolicyRemoves(const Restic& restic, const std::string& library, ResticRun& run)
{
    std::vector<std::string> args{"forget", "--dry-run", "--group-by", "", "--tag", LibraryFilter(library)};
    args.insert(args.end(), restic.Config().keep.begin(), restic.Config().keep.end());
    std::vector<std::string> removes;
    run = restic.RunUnlocking(args, [&](const nlohmann::json& groups) {
        if (!groups.is_array()) return;
        for (const auto& group : groups)
            if (group.contains("remove") && group["remove"].is_array())
                for (const auto& s : group["remove"]) removes.push_back(s.value("short_id", ""));
    });
    if (!run.Done()) return std::nullopt;
    return removes;
}

} // namespace

ForgetReport ForgetSnapshots(const Restic& restic, const std::string& library)
{
    ForgetReport report;
    ResticRun run;
    const auto snapshots = ListSnapshots(restic, library, run);
    const auto removes = snapshots ? PolicyRemoves(restic, library, run) : std::nullopt;
    if (!removes) {
        report.message = "Nothing was forgotten: " + run.reason;
        return report;
    }
    std::string newestVerified;
    for (const OffsiteSnapshot& s : *snapshots)
        if (s.verified) newestVerified = s.id;
    for (const std::string& id : *removes)
        if (id != newestVerified && !id.empty()) report.removed.push_back(id);
    report.kept = static_cast<std::int64_t>(snapshots->size() - report.removed.size());
    if (!report.removed.empty()) {
        std::vector<std::string> args{"forget", "--prune"};
        args.insert(args.end(), report.removed.begin(), report.removed.end());
        run = restic.RunUnlocking(args);
        if (!run.Done()) {
            report.message = "The snapshots may not all be forgotten: " + run.reason;
            return report;
        }
    }
    report.result = OffsiteResult::Done;
    report.message =
        std::to_string(report.removed.size()) + " snapshots forgotten, " + std::to_string(report.kept) + " kept.";
    return report;
}

CheckOutcome CheckRepository(const Restic& restic, const std::vector<std::string>& args)
{
    std::vector<std::string> all{"check"};
    all.insert(all.end(), args.begin(), args.end());
    const ResticRun run = restic.RunUnlocking(all);
    CheckOutcome outcome;
    if (run.Done()) {
        outcome.result = OffsiteResult::Done;
        outcome.message = "The repository has no errors.";
    } else if (run.errorOutput.find("repository contains errors") != std::string::npos) {
        outcome.result = OffsiteResult::Warnings;
        outcome.message = "The repository has errors: " + run.reason + " Its output names them.";
    } else {
        outcome.message = "The repository could not be checked: " + run.reason;
    }
    return outcome;
}
