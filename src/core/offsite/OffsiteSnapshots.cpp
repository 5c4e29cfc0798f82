#include "core/offsite/OffsiteSnapshots.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view kLibraryPrefix = "library:";
constexpr std::string_view kRecordPrefix = "record:";

OffsiteSnapshot SnapshotOf(const nlohmann::json& s)
{
    OffsiteSnapshot snapshot;
    snapshot.id = s.value("short_id", s.value("id", std::string()).substr(0, 8));
    snapshot.time = ParseResticTime(s.value("time", std::string())).value_or(0);
    snapshot.host = s.value("hostname", std::string());
    if (s.contains("tags") && s["tags"].is_array())
        for (const auto& tag : s["tags"]) {
            const std::string text = tag.is_string() ? tag.get<std::string>() : std::string();
            if (text.starts_with(kRecordPrefix)) snapshot.recordDate = text.substr(kRecordPrefix.size());
            if (text == kVerifiedTag) snapshot.verified = true;
        }
    return snapshot;
}

} // namespace

std::string LibraryTag(const std::string& library)
{
    std::string tag(kLibraryPrefix);
    for (char c : library) tag += c == '%' ? "%25" : c == ',' ? "%2C" : std::string(1, c);
    return tag;
}

std::string RecordTag(const std::string& recordDate) { return std::string(kRecordPrefix) + recordDate; }

std::string LibraryFilter(const std::string& library) { return std::string(kRezudTag) + "," + LibraryTag(library); }

std::optional<std::vector<OffsiteSnapshot>> ListSnapshots(const Restic& restic, const std::string& library,
                                                          ResticRun& run)
{
    std::vector<OffsiteSnapshot> snapshots;
    run = restic.RunUnlocking({"snapshots", "--tag", LibraryFilter(library)}, [&](const nlohmann::json& list) {
        if (list.is_array())
            for (const auto& s : list) snapshots.push_back(SnapshotOf(s));
    });
    if (!run.Done()) return std::nullopt;
    std::stable_sort(snapshots.begin(), snapshots.end(),
                     [](const OffsiteSnapshot& a, const OffsiteSnapshot& b) { return a.time < b.time; });
    return snapshots;
}

std::optional<std::time_t> ParseResticTime(const std::string& text)
{
    std::tm tm{};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                    &tm.tm_min, &tm.tm_sec, &consumed) != 6)
        return std::nullopt;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    std::time_t when = ::timegm(&tm);
    std::size_t at = static_cast<std::size_t>(consumed);
    while (at < text.size() && (text[at] == '.' || std::isdigit(static_cast<unsigned char>(text[at])))) ++at;
    int hours = 0, minutes = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-') &&
        std::sscanf(text.c_str() + at + 1, "%2d:%2d", &hours, &minutes) == 2)
        when -= (text[at] == '+' ? 1 : -1) * (hours * 3600 + minutes * 60);
    return when;
}
