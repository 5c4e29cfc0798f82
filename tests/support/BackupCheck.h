#pragma once
// What a backup must hold, told as problems (none when it is sound): the
// one check the fault trials run after every fault, kill and repair.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One document file: its bytes and modification time.
struct FileVersion {
    std::string bytes;
    std::int64_t mtimeNs = 0;
    bool operator==(const FileVersion&) const = default;
};
// The document files of a library by path relative to it: every plain file
// below it outside the control directory, hidden ones left out.
using DocumentFiles = std::map<std::string, FileVersion>;
DocumentFiles ReadDocumentFiles(const std::string& lib);

// After a run that wrote its record: every document file of the library in
// the backup with the same bytes and time, both database copies passing
// integrity_check, and the manifest saying what each of them holds and
// owing nothing.
std::vector<std::string> CopyProblems(const std::string& lib, const std::string& backup);
// After a run that completed: CopyProblems, no work file anywhere, and no
// spare that the lock does not name.
std::vector<std::string> BackupProblems(const std::string& lib, const std::string& backup);

// At any time, even right after a kill: every file under a real name in
// the backup is whole, either as `before` or as `after` has it (a file
// missing from `before` may also be missing), and each database copy
// there passes integrity_check.
std::vector<std::string> TornFiles(const std::string& backup, const DocumentFiles& before, const DocumentFiles& after);

// The problems one a line, for a failure message.
std::string Lines(const std::vector<std::string>& problems);
