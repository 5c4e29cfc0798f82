#pragma once
// Failing file operations for the tests, as a failing or full disk gives
// them: this test program's own syncfs, write and copy_file_range stand in
// for the C library's, for every caller in the program (SQLite included),
// and pass every call through unless told to fail.
#include <string>

namespace faults {

// The next `times` flushes of a file system report `err` (a write-back
// error is reported to one flush of a descriptor only).
void FailFlushes(int err, int times = 1);
// Writes into files below `dir` fail with `err` once `allowed` of them went
// through.
void FailWritesBelow(const std::string& dir, int err, int allowed = 0);
// Everything passes again.
void Clear();

} // namespace faults
