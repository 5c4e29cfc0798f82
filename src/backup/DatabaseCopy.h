#pragma once
// A consistent copy of a live database, even while a desktop client writes:
// SQLite's online backup into a work file beside the target, checked, then
// renamed over the old copy. The old copy stays until the new one is whole.
#include <string>

void CopyDatabase(const std::string& source, const std::string& target);
