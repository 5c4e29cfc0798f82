#include "core/backup/BackupDates.h"

#include <cstdio>

namespace {

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::string Format(std::time_t when, const char* format)
{
    std::tm tm{};
    localtime_r(&when, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, format, &tm);
    return buffer;
}

} // namespace

std::time_t ZeroDate() { return LocalTime(1899, 12, 30, 0, 0, 0); }

std::optional<std::time_t> ParseRecordDate(const std::string& text)
{
    int mo, d, y, h, mi, s;
    char tail;
    if (std::sscanf(text.c_str(), "%2d/%2d/%4d %2d:%2d:%2d%c", &mo, &d, &y, &h, &mi, &s, &tail) != 6)
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
        return std::nullopt;
    return LocalTime(y, mo, d, h, mi, s);
}

std::string FormatRecordDate(std::time_t when) { return Format(when, "%m/%d/%Y %H:%M:%S"); }
std::string FormatIsoDate(std::time_t when) { return Format(when, "%Y-%m-%d %H:%M:%S"); }
