#pragma once
// Writes the manifest of a backup from the files it holds now, as a run
// that writes one would have: every file but the record, the lock, the
// manifest itself and hidden ones.
#include <string>

void WriteManifestOf(const std::string& backupDir);
