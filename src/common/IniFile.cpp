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

bool IniWrite(const std::filesystem::path& file, const std::string& section,
              const std::string& key, const std::string& value)
{
    try {
        Lines lines;
        if (std::filesystem::exists(file)) {
            std::ifstream in(file, std::ios::binary);
            if (!in) return false;
            lines = ReadLines(in);
        }
        auto& items = lines.items;
        const std::string entry = key + "=" + value;
        std::optional<std::size_t> insertAt;
        bool inSection = false, written = false;
        for (std::size_t i = 0; i < items.size() && !written; ++i) {
            if (auto name = SectionOf(items[i])) {
                if (inSection) break;
                inSection = EqualsNoCase(*name, section);
                if (inSection) insertAt = i + 1;
            } else if (inSection && IsKeyLine(items[i], key)) {
                items[i] = entry;
                written = true;
            } else if (inSection && !TrimWhite(items[i]).empty()) {
                insertAt = i + 1;
            }
        }
        if (!written && insertAt) {
            items.insert(items.begin() + static_cast<long>(*insertAt), entry);
        } else if (!written) {
            if (!items.empty() && !TrimWhite(items.back()).empty()) items.emplace_back();
            items.push_back("[" + section + "]");
            items.push_back(entry);
        }
        std::ostringstream out;
        for (const auto& line : items) out << line << lines.eol;
        WriteFileAtomic(file, out.str());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
