#pragma once
// Failing file operations for the tests, as a failing or full disk gives
// them: this test program's own syncfs, fsync, fdatasync, write, pwrite,
// rename and renameat2 stand in for the C library's, for
// every caller in the program (SQLite included), and pass every call
// through unless told to fail.
#include <string>

namespace faults {

enum class Op {
    Write,  // write: the copies, the record
    Pwrite, // pwrite: SQLite's pages (the manifest, database copies), the lock
    Rename, // rename, renameat2; either name may lie below the directory
    Fsync,  // fsync, fdatasync
    Syncfs,
};

// Calls of `op` on files below `dir` (or on `dir` itself) fail with `err`
// once `allowed` of them went through, and go on failing, as a full or
// broken disk does.
void FailBelow(Op op, const std::string& dir, int err, int allowed = 0);
// The calls of `op` below the directory given to FailBelow since then,
// failed ones included.
int CallsBelow(Op op);

// The next `times` flushes of a file system report `err` (a write-back
// error is reported to one flush of a descriptor only).
void FailFlushes(int err, int times = 1);
// Writes into files below `dir` fail with `err` once `allowed` of them went
// through.
void FailWritesBelow(const std::string& dir, int err, int allowed = 0);
// Everything passes again.
void Clear();

} // namespace faults
