#include "core/common/MetricsFile.h"

#include "core/common/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

struct Family {
    const char* name;
    const char* help;
};
constexpr const char* kLastSuccess = "rezud_last_success_timestamp_seconds";
constexpr const char* kOffsitePush = "rezud_offsite_last_push_timestamp_seconds";
// In the order they are written; a count's family is "rezud_" and its name.
constexpr Family kFamilies[] = {
    {"rezud_last_run_timestamp_seconds", "When the command last ended, in seconds since 1970."},
    {kLastSuccess, "When the command last ended done (exit code 0 or 1), in seconds since 1970."},
    {"rezud_duration_seconds", "How long the command's last run took."},
    {"rezud_exit_code", "The exit code of the command's last run: 0 done, 1 done with warnings, 2 refused or "
                        "failed, 3 administrator password wrong or missing."},
    {"rezud_documents_copied", "Documents the command's last run copied."},
    {"rezud_documents_owed", "Documents the backup owes after the command's last run: not copied yet."},
    {"rezud_findings", "Findings of the command's last run: missing, damaged or changed files, owed documents."},
    {kOffsitePush, "When the backup was last copied offsite, in seconds since 1970."},
};

// Each sample by its family and its labels as written; its value.
using Samples = std::map<std::pair<std::string, std::string>, std::string>;

std::string Escape(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        if (c == '\\' || c == '"') out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

std::string Number(double value)
{
    char text[64];
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

bool IsNumber(const std::string& text)
{
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

bool IsName(const std::string& name)
{
    return !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':'; });
}

// A sample line: "name{labels} value"; lines that are no sample are left out.
void ParseLine(const std::string& line, Samples& samples)
{
    if (line.empty() || line[0] == '#') return;
    std::size_t at = line.find_first_of("{ ");
    if (at == std::string::npos || !IsName(line.substr(0, at))) return;
    const std::string name = line.substr(0, at);
    std::string labels;
    if (line[at] == '{') {
        bool quoted = false;
        std::size_t end = at + 1;
        for (; end < line.size() && (quoted || line[end] != '}'); ++end) {
            if (line[end] == '\\')
                ++end;
            else if (line[end] == '"')
                quoted = !quoted;
        }
        if (end >= line.size()) return;
        labels = line.substr(at + 1, end - at - 1);
        at = end + 1;
    }
    const std::size_t value = line.find_first_not_of(' ', at);
    if (value == std::string::npos || !IsNumber(line.substr(value, line.find(' ', value) - value))) return;
    samples[{name, labels}] = line.substr(value);
}

std::string Render(const Samples& samples)
{
    std::ostringstream out;
    std::set<std::string> written;
    auto family = [&](const std::string& name, const char* help) {
        auto from = samples.lower_bound({name, ""});
        if (from == samples.end() || from->first.first != name) return;
        if (help) out << "# HELP " << name << ' ' << help << "\n# TYPE " << name << " gauge\n";
        for (; from != samples.end() && from->first.first == name; ++from) {
            const std::string& labels = from->first.second;
            out << name << (labels.empty() ? "" : "{" + labels + "}") << ' ' << from->second << '\n';
        }
        written.insert(name);
    };
    for (const Family& f : kFamilies) family(f.name, f.help);
    // Series of a later version of rezud, kept as they were.
    for (const auto& [key, value] : samples)
        if (!written.count(key.first)) family(key.first, nullptr);
    return out.str();
}

std::string ReadIfThere(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) return {};
        throw fs::filesystem_error("cannot read metrics file", file, std::error_code(errno, std::generic_category()));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw fs::filesystem_error("cannot read metrics file", file, std::make_error_code(std::errc::io_error));
    return text.str();
}

// Held while a command reads the file and writes it again.
class DirectoryLock {
public:
    explicit DirectoryLock(const fs::path& dir)
    {
        fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) {
            const std::error_code err(errno, std::generic_category());
            if (fd_ >= 0) ::close(fd_);
            throw TargetError("cannot lock the metrics file's directory", dir, err);
        }
    }
    ~DirectoryLock() { ::close(fd_); }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

std::string MergeMetrics(const std::string& old, const CommandMetrics& run)
{
    Samples samples;
    std::istringstream lines(old);
    for (std::string line; std::getline(lines, line);) ParseLine(line, samples);
    const std::string mine = "command=\"" + Escape(run.command) + "\"";
    std::optional<std::string> lastSuccess;
    if (auto found = samples.find({kLastSuccess, mine}); found != samples.end()) lastSuccess = found->second;
    std::erase_if(samples, [&](const auto& sample) { return sample.first.second == mine; });

    auto set = [&](const std::string& name, const std::string& value) { samples[{name, mine}] = value; };
    set("rezud_last_run_timestamp_seconds", Number(run.endedAt));
    if (MetricsSuccess(run.exitCode)) lastSuccess = Number(run.endedAt);
    if (lastSuccess) set(kLastSuccess, *lastSuccess);
    set("rezud_duration_seconds", Number(run.durationSeconds));
    set("rezud_exit_code", Number(run.exitCode));
    for (const auto& [name, value] : run.counts) set("rezud_" + name, Number(value));
    if (run.offsitePushAt) samples[{kOffsitePush, ""}] = Number(*run.offsitePushAt);
    return Render(samples);
}

void UpdateMetricsFile(const fs::path& file, const CommandMetrics& run)
{
    const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
    DirectoryLock lock(dir);
    WriteFileAtomic(file, MergeMetrics(ReadIfThere(file), run));
}
