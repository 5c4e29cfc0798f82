#include "core/backup/RestoreTotals.h"

#include "core/backup/RestoreMismatches.h"

namespace {

// Names given in a report; the mismatch list file has them all.
constexpr std::size_t kNamed = 100;

void Line(std::string& text, const std::string& label, std::int64_t count)
{
    text += "\r\n" + label + " : " + std::to_string(count);
}

void Named(std::string& text, const std::string& label, const NamedCount& named)
{
    if (named.count == 0) return;
    Line(text, label, named.count);
    for (const std::string& name : named.names) text += "\r\n  " + name;
    if (named.count > static_cast<std::int64_t>(named.names.size())) text += "\r\n  ...";
}

} // namespace

void NamedCount::Add(const std::string& name)
{
    ++count;
    if (names.size() < kNamed) names.push_back(name);
}

std::string RestoreReportText(const RestoreTotals& t, const std::string& backup, const std::string& dir)
{
    std::string text = "Library restored from " + backup + " into " + dir;
    Line(text, "Files restored", t.restored);
    Line(text, "Files restored already by the stopped run", t.skipped);
    Line(text, "Files the backup's manifest has no entry for (not checked)", t.unchecked);
    Named(text,
          std::string("Files unlike the backup's manifest, restored all the same and listed in ") +
              kRestoreMismatchesName,
          t.mismatches);
    Named(text, "Documents whose file the backup lacks", t.missing);
    Named(text,
          "Documents whose file the backup lacks and no incremental backup copies "
          "(code empty, 0 or C, or no update date)",
          t.notDue);
    Named(text, "Documents naming a file outside the library or through a link, not restored", t.refused);
    Named(text, "Files of the backup that could not be read", t.unreadable);
    return text;
}

std::string RestoreHeadline(const RestoreTotals& t)
{
    return t.Whole() ? "The library is restored and checked."
                     : "The library is restored, but not all of it as the backup has it: see the report.";
}
