#include "core/offsite/SnapshotFetch.h"

#include "core/offsite/OffsiteSnapshots.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

bool HasTag(const nlohmann::json& snapshot, const std::string& tag)
{
    const nlohmann::json& tags = snapshot.value("tags", nlohmann::json::array());
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

} // namespace

SnapshotFound FindSnapshot(const Restic& restic, const std::string& wanted, const std::string& tagFilter)
{
    std::vector<std::string> args{"snapshots"};
    if (wanted == "latest") args.insert(args.end(), {"--tag", tagFilter});
    args.push_back(wanted);
    nlohmann::json found = nlohmann::json::array();
    const ResticRun run = restic.RunUnlocking(args, [&](const nlohmann::json& message) {
        if (message.is_array()) found = message;
    });
    if (!run.Done()) return {std::nullopt, run.reason};
    // An id's start may match several: restic then names none.
    if (found.size() != 1 || !found[0].is_object()) return {std::nullopt, kNoSuchSnapshot + wanted};
    const nlohmann::json& s = found[0];
    const nlohmann::json paths = s.value("paths", nlohmann::json::array());
    if (!HasTag(s, kRezudTag) || paths.size() != 1 || !paths[0].is_string())
        return {std::nullopt, kNoSuchSnapshot + wanted};
    return {RestoredSnapshot{s.value("id", std::string()), paths[0].get<std::string>()}, {}};
}

OffsiteRestore::Fetch FetchSnapshot(const Restic& restic, const std::string& id)
{
    return [&restic, id](const std::string& into) {
        const ResticRun run = restic.RunUnlocking({"restore", id, "--target", into});
        return run.Done() ? std::string() : kNotFetched + run.reason;
    };
}
