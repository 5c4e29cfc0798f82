#pragma once
// How the check judges one document's names and file, the same whether the
// file is looked up under its row's name or met in a directory's listing.
#include "core/library/CheckReport.h"

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

class DocumentDirs;

// Why a location leads to no usable storage directory; empty when it does.
std::string LocationFault(DocumentDirs& dirs, const std::string& location);
// Why a row's names lead to no usable file, its location's fault first.
std::string NameFault(const std::string& locationFault, const std::string& filename);
Finding BadNameFinding(std::int64_t id, const std::string& location, const std::string& filename,
                       const std::string& why);

struct FileFault {
    FindingKind kind;
    std::string why; // after "document N, "; empty for none
};
Finding FileFinding(std::int64_t id, const std::string& path, const FileFault& fault);
// A row's file when its storage directory cannot be opened or listed.
FileFault DirectoryFault(int error);
// The fault of the file `name` in the open directory `fd`, given its lstat.
std::optional<FileFault> StatFault(int fd, const std::string& name, const struct stat& st);
const char* NotPlain(mode_t mode);

// The directories directly below the library that are storage directories
// with or without rows: not the control directory, not hidden ones. A link
// to a directory counts, as the backup follows it.
std::vector<std::string> RootDirectories(const std::string& libPath);
