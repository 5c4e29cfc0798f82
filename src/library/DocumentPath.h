#pragma once
// Where a document's file lives: root + "/" + location + "/" + filename.
// A location or file name that is empty, absolute or climbs out with ".."
// never names a file outside the root.
#include <filesystem>
#include <optional>
#include <string>

bool IsSafeDocumentPath(const std::string& location, const std::string& filename);

// The file below root, or no value when the row's names are not safe.
std::optional<std::filesystem::path> DocumentFile(const std::string& root, const std::string& location,
                                                  const std::string& filename);
