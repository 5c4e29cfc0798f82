#include "core/common/Text.h"

#include <algorithm>
#include <cctype>

namespace {
bool IsBlank(char c) { return c == ' '; }
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
} // namespace

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

std::string ToLower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && ToLower(a) == ToLower(b); }

std::string LeftChars(std::string_view s, std::size_t n)
{
    std::size_t i = 0, count = 0;
    while (i < s.size()) {
        if (!IsContinuation(static_cast<unsigned char>(s[i]))) {
            if (count == n) break;
            ++count;
        }
        ++i;
    }
    return std::string(s.substr(0, i));
}

std::size_t CharCount(std::string_view s)
{
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return !IsContinuation(static_cast<unsigned char>(c)); }));
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to)
{
    if (from.empty()) return s;
    std::size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

std::string WithoutTrailingSlash(std::string_view s)
{
    if (!s.empty() && s.back() == '/') s.remove_suffix(1);
    return std::string(s);
}

std::string CountOf(long long n, const std::string& noun, const std::string& plural)
{
    return std::to_string(n) + " " + (n == 1 ? noun : plural.empty() ? noun + "s" : plural);
}
