#pragma once
// Small text helpers shared by core and windows.
#include <string>
#include <string_view>

// Removes blanks (spaces) at both ends, as the system's Trim does.
std::string Trim(std::string_view s);
std::string TrimRight(std::string_view s);
std::string ToLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// First n characters counted as characters (UTF-8 code points), not bytes.
std::string LeftChars(std::string_view s, std::size_t n);
std::size_t CharCount(std::string_view s);
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
// The path without one trailing "/" (only one: "/a//" keeps one).
std::string WithoutTrailingSlash(std::string_view s);
// "1 document", "2 documents": the count with its noun, singular or plural.
std::string CountOf(long long n, const std::string& noun, const std::string& plural = "");
