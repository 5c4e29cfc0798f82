#include "core/common/IniFile.h"

#include "core/common/AtomicFile.h"
#include "core/common/Text.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

namespace {

std::string TrimWhite(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    auto white = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (b < e && white(s[b])) ++b;
    while (e > b && white(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

// The section name of a "[name]" line.
std::optional<std::string> SectionOf(const std::string& line)
{
    const std::string t = TrimWhite(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const std::size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return TrimWhite(std::string_view(t).substr(1, close - 1));
}

bool IsKeyLine(const std::string& line, const std::string& key, std::string* value = nullptr)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    if (!EqualsNoCase(TrimWhite(std::string_view(line).substr(0, eq)), key)) return false;
    if (value) *value = TrimWhite(std::string_view(line).substr(eq + 1));
    return true;
}

// One line of the file and the ending it had, so a write gives every line
// back as it was; the last line may have none.
struct Line {
    std::string text;
    std::string eol;
};

struct Lines {
    std::vector<Line> items;
    std::string eol = "\n"; // the ending most lines have, for new lines
};

Lines ReadLines(std::istream& in)
{
    Lines lines;
    std::size_t crlf = 0, lf = 0;
    std::string text;
    while (std::getline(in, text)) {
        Line line{std::move(text), in.eof() ? "" : "\n"};
        if (!line.eol.empty() && !line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.eol = "\r\n";
        }
        if (line.eol == "\r\n")
            ++crlf;
        else if (!line.eol.empty())
            ++lf;
        lines.items.push_back(std::move(line));
    }
    if (crlf > lf) lines.eol = "\r\n";
    return lines;
}

} // namespace

std::optional<std::string> IniLookup(const std::filesystem::path& file, const std::string& section,
                                     const std::string& key)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    bool inSection = false;
    std::string line, value;
    while (std::getline(in, line)) {
        if (auto name = SectionOf(line)) {
            inSection = EqualsNoCase(*name, section);
        } else if (inSection && IsKeyLine(line, key, &value)) {
            return value;
        }
    }
    return std::nullopt;
}

std::string IniRead(const std::filesystem::path& file, const std::string& section, const std::string& key)
{
    return IniLookup(file, section, key).value_or(std::string());
}

namespace {

// Puts key=value into the lines, keeping everything else as it was; a
// replaced line keeps its own ending, a new one takes the file's.
void SetKey(Lines& lines, const std::string& section, const std::string& key, const std::string& value)
{
    auto& items = lines.items;
    const std::string entry = key + "=" + value;
    std::optional<std::size_t> insertAt;
    bool inSection = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& text = items[i].text;
        if (auto name = SectionOf(text)) {
            if (inSection) break;
            inSection = EqualsNoCase(*name, section);
            if (inSection) insertAt = i + 1;
        } else if (inSection && IsKeyLine(text, key)) {
            items[i].text = entry;
            return;
        } else if (inSection && !TrimWhite(text).empty()) {
            insertAt = i + 1;
        }
    }
    if (insertAt) {
        items.insert(items.begin() + static_cast<long>(*insertAt), Line{entry, lines.eol});
        return;
    }
    if (!items.empty() && !TrimWhite(items.back().text).empty()) items.push_back({"", lines.eol});
    items.push_back({"[" + section + "]", lines.eol});
    items.push_back({entry, lines.eol});
}

} // namespace

bool IniWriteKeys(const std::filesystem::path& file, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& entries, std::string* why)
{
    try {
        Lines lines;
        if (std::filesystem::exists(file)) {
            std::ifstream in(file, std::ios::binary);
            if (!in) {
                if (why) *why = "the file cannot be read";
                return false;
            }
            lines = ReadLines(in);
        }
        for (const auto& [key, value] : entries) SetKey(lines, section, key, value);
        std::ostringstream out;
        for (std::size_t i = 0; i < lines.items.size(); ++i) {
            const Line& line = lines.items[i];
            // A last line without an ending gets one only when lines follow.
            const bool last = i + 1 == lines.items.size();
            out << line.text << (line.eol.empty() && !last ? lines.eol : line.eol);
        }
        WriteFileAtomic(file, out.str());
        return true;
    } catch (const std::system_error& e) {
        // The system's own words ("Is a directory"), without the path.
        if (why) *why = e.code().message();
        return false;
    } catch (const std::exception& e) {
        if (why) *why = e.what();
        return false;
    }
}

bool IniWrite(const std::filesystem::path& file, const std::string& section, const std::string& key,
              const std::string& value, std::string* why)
{
    return IniWriteKeys(file, section, {{key, value}}, why);
}
