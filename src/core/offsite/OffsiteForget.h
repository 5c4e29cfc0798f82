#pragma once
// The retention of this library's snapshots: restic's policy decides over
// the snapshots tagged with the library alone (other libraries and other
// tools sharing the repository are never touched), the newest snapshot of a
// backup that verified whole is kept whatever the policy says, and the data
// no snapshot needs any more is pruned.
#include "core/offsite/OffsitePush.h"

#include <string>
#include <vector>

struct ForgetReport {
    OffsiteResult result = OffsiteResult::Refused;
    std::string message;
    std::vector<std::string> removed; // short ids
    std::int64_t kept = 0;
};

ForgetReport ForgetSnapshots(const Restic& restic, const std::string& library);

// restic check, --read-data or --read-data-subset N% among `args`: Done,
// Warnings when the repository has errors, Refused when it could not check.
struct CheckOutcome {
    OffsiteResult result = OffsiteResult::Refused;
    std::string message;
};
CheckOutcome CheckRepository(const Restic& restic, const std::vector<std::string>& args);
