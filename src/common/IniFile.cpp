#include "common/IniFile.h"

#include "common/AtomicFile.h"
#include "common/Text.h"

#include <fstream>
#include <optional>
#include <sstream>
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

struct Lines {
    std::vector<std::string> items;
    std::string eol = "\n";
};

Lines ReadLines(std::istream& in)
{
    Lines lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            lines.eol = "\r\n";
        }
        lines.items.push_back(line);
    }
    return lines;
}

} // namespace

std::string IniRead(const std::filesystem::path& file, const std::string& section,
                    const std::string& key)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    bool inSection = false;
    std::string line, value;
    while (std::getline(in, line)) {
        if (auto name = SectionOf(line)) {
            inSection = EqualsNoCase(*name, section);
        } else if (inSection && IsKeyLine(line, key, &value)) {
            return value;
        }
    }
    return {};
}

namespace {

// Puts key=value into the lines, keeping everything else as it was.
void SetKey(std::vector<std::string>& items, const std::string& section, const std::string& key,
            const std::string& value)
{
    const std::string entry = key + "=" + value;
    std::optional<std::size_t> insertAt;
    bool inSection = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (auto name = SectionOf(items[i])) {
            if (inSection) break;
            inSection = EqualsNoCase(*name, section);
            if (inSection) insertAt = i + 1;
        } else if (inSection && IsKeyLine(items[i], key)) {
            items[i] = entry;
            return;
        } else if (inSection && !TrimWhite(items[i]).empty()) {
            insertAt = i + 1;
        }
    }
    if (insertAt) {
        items.insert(items.begin() + static_cast<long>(*insertAt), entry);
        return;
    }
    if (!items.empty() && !TrimWhite(items.back()).empty()) items.emplace_back();
    items.push_back("[" + section + "]");
    items.push_back(entry);
}

} // namespace

bool IniWriteKeys(const std::filesystem::path& file, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& entries, std::string* error)
{
    try {
        Lines lines;
        if (std::filesystem::exists(file)) {
            std::ifstream in(file, std::ios::binary);
            if (!in) {
                if (error) *error = "cannot read " + file.string();
                return false;
            }
            lines = ReadLines(in);
        }
        for (const auto& [key, value] : entries) SetKey(lines.items, section, key, value);
        std::ostringstream out;
        for (const auto& line : lines.items) out << line << lines.eol;
        WriteFileAtomic(file, out.str());
        return true;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return false;
    }
}

bool IniWrite(const std::filesystem::path& file, const std::string& section,
              const std::string& key, const std::string& value)
{
    return IniWriteKeys(file, section, {{key, value}});
}
