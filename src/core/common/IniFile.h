#pragma once
// The one INI reader and writer: section and key names match ignoring case,
// values are trimmed, other lines are kept as they were, and the file is
// replaced atomically on write.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The trimmed value, or none when the file, section or key is missing.
std::optional<std::string> IniLookup(const std::filesystem::path& file, const std::string& section,
                                     const std::string& key);
// The trimmed value, or empty text when the file, section or key is missing.
std::string IniRead(const std::filesystem::path& file, const std::string& section, const std::string& key);

// Writes key=value, creating the file, section or key as needed; false when
// the file could not be read or written, with the reason in *why if given.
bool IniWrite(const std::filesystem::path& file, const std::string& section, const std::string& key,
              const std::string& value, std::string* why = nullptr);

// Writes several keys of one section in one atomic replacement of the file.
bool IniWriteKeys(const std::filesystem::path& file, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& entries, std::string* why = nullptr);
