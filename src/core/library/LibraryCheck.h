#pragma once
// The library check: the databases and the document files side by side,
// read-only. It opens both databases for reading only, reads them in short
// stretches as the walks do, lists each storage directory once and reports
// what it finds; it changes nothing.
#include "core/library/CheckReport.h"

#include <cstdint>
#include <functional>
#include <string>

struct CheckOptions {
    bool deep = false;  // integrity_check instead of quick_check
    int staleDays = 30; // logins older than this many days are reported
};

// Called with what the check is doing and how far it got (total 0: unknown).
using CheckProgress = std::function<void(const std::string& stage, std::int64_t done, std::int64_t total)>;

// Never throws: what could not be checked is in the report's errors.
CheckReport CheckLibrary(const std::string& libPath, const CheckOptions& options = {},
                         const CheckProgress& progress = {});
