#pragma once
// Repair and compaction of one database file of the active library.
#include <string>

class AppContext;

// How long the compaction waits for a client's lock before it gives up.
inline constexpr int kCompactBusyTimeoutMs = 5000;

// The work file of the compaction: the active library's
// 00000000/dbtmp.$$$, the same name for both databases.
std::string CompactWorkFile(const std::string& libPath);

// Checks strInput, mends damaged indexes, compacts it into the work file and
// writes the checked copy back through SQLite's own write transaction, with
// the file's exclusive lock held from the compaction to the end of the write.
// The file is either replaced whole or left as it was; every failure is
// reported. True when the file was repaired, compacted and replaced.
bool CompactDB(AppContext& app, const std::string& strInput, int busyTimeoutMs = kCompactBusyTimeoutMs);
