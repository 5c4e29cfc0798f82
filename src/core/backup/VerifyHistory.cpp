#include "core/backup/VerifyHistory.h"

#include "core/backup/BackupDates.h"
#include "core/common/IniFile.h"
#include "core/common/Sha256.h"

#include <cctype>
#include <cstdlib>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "VERIFY";

// One spelling of a directory however it was given: absolute, links
// resolved as far as they exist, no trailing separator.
std::string SamePath(const std::string& dir)
{
    std::error_code ec;
    fs::path path = fs::weakly_canonical(fs::absolute(dir, ec), ec);
    if (ec) path = fs::path(dir).lexically_normal();
    if (!path.has_filename() && path.has_parent_path() && path != path.root_path()) path = path.parent_path();
    return path.string();
}

// A file of its own for each backup: two verifies of two backups never
// write the same file.
fs::path RecordFileOf(const fs::path& stateDir, const std::string& backup)
{
    Sha256 sha;
    const std::string path = SamePath(backup);
    sha.Update(path.data(), path.size());
    return stateDir / "verify" / (sha.Hex() + ".ini");
}

std::string ResultOf(const VerifyReport& r)
{
    if (r.Failed()) return "incomplete";
    return r.HasFindings() ? "findings" : "whole";
}

std::int64_t FindingCount(const VerifyReport& r)
{
    std::int64_t total = 0;
    for (const std::int64_t n : r.counts) total += n;
    return total;
}

std::string Findings(std::int64_t n) { return n == 1 ? "1 finding" : std::to_string(n) + " findings"; }

std::string ResultLine(const LastVerify& last)
{
    if (last.result == "whole") return "no findings, the backup is whole.";
    if (last.result == "findings") return Findings(last.findings) + " - see Verify Backup.";
    return "incomplete - see Verify Backup.";
}

} // namespace

fs::path UserStateDir(const std::function<std::optional<std::string>(const std::string&)>& env)
{
    // Relative paths in these variables are to be ignored.
    if (const auto state = env("XDG_STATE_HOME"); state && fs::path(*state).is_absolute())
        return fs::path(*state) / "rezudizid";
    if (const auto home = env("HOME"); home && fs::path(*home).is_absolute())
        return fs::path(*home) / ".local/state/rezudizid";
    return {};
}

bool RecordVerify(const fs::path& stateDir, const VerifyReport& report, std::time_t now, std::string* why)
{
    if (stateDir.empty() || !report.reached) return true;
    const fs::path file = RecordFileOf(stateDir, report.backup);
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        if (why) *why = file.parent_path().string() + ": " + ec.message();
        return false;
    }
    std::string failure;
    if (IniWriteKeys(file, kSection,
                     {{"Backup", SamePath(report.backup)},
                      {"Date", FormatRecordDate(now)},
                      {"BackupDate", report.date},
                      {"Result", ResultOf(report)},
                      {"Findings", std::to_string(FindingCount(report))},
                      {"ReadData", report.readData}},
                     &failure))
        return true;
    if (why) *why = file.string() + ": " + failure;
    return false;
}

std::optional<LastVerify> LastVerifyOf(const fs::path& stateDir, const std::string& backup, std::time_t now)
{
    if (stateDir.empty() || backup.empty()) return std::nullopt;
    const fs::path file = RecordFileOf(stateDir, backup);
    if (IniRead(file, kSection, "Backup") != SamePath(backup)) return std::nullopt;
    LastVerify last;
    last.date = IniRead(file, kSection, "Date");
    const std::optional<std::time_t> when = ParseRecordDate(last.date);
    if (!when) return std::nullopt;
    last.days = static_cast<long long>(std::difftime(now, *when) / 86400);
    last.backupDate = IniRead(file, kSection, "BackupDate");
    last.result = IniRead(file, kSection, "Result");
    last.findings = std::atoll(IniRead(file, kSection, "Findings").c_str());
    last.readData = IniRead(file, kSection, "ReadData");
    return last;
}

std::string LastVerifyLine(const LastVerify& last, const std::string& backupDate)
{
    const std::string age = last.days == 1 ? "1 day ago" : std::to_string(last.days) + " days ago";
    std::string result = ResultLine(last);
    if (last.readData == "all")
        result = "Every file read: " + result;
    else
        result[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(result[0])));
    // Short lines, as the console shows them one under the other.
    std::string text = "Last verify: " + last.date + ", " + age + "\n" + result;
    if (last.backupDate != backupDate) text += "\nA backup ran since: verify it again.";
    return text;
}
