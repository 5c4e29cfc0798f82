#include "core/library/FileFindings.h"

#include "core/backup/DocumentDirs.h"
#include "core/common/Directories.h"
#include "core/library/DocumentPath.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

std::string LocationFault(DocumentDirs& dirs, const std::string& location)
{
    if (location.empty()) return "no location";
    if (!IsSafeDocumentLocation(location))
        return IsControlLocation(location) ? "in the control directory" : "leads outside the library";
    return dirs.SourceReachable(location) ? std::string() : "reached through a link";
}

std::string NameFault(const std::string& locationFault, const std::string& filename)
{
    if (!locationFault.empty()) return locationFault;
    if (filename.empty()) return "no file name";
    return IsSafeDocumentName(filename) ? std::string() : "leads outside the library";
}

Finding BadNameFinding(std::int64_t id, const std::string& location, const std::string& filename,
                       const std::string& why)
{
    return {FindingKind::BadDocumentName,
            {id},
            {location, filename},
            {},
            "document " + std::to_string(id) + ", location '" + location + "', file name '" + filename + "': " + why};
}

Finding FileFinding(std::int64_t id, const std::string& path, const FileFault& fault)
{
    const std::string document = "document " + std::to_string(id);
    return {fault.kind, {id}, {}, path, fault.why.empty() ? document : document + ", " + fault.why};
}

FileFault DirectoryFault(int error)
{
    if (error == ENOENT || error == ENOTDIR) return {FindingKind::FileMissing, "its storage directory does not exist"};
    return {FindingKind::FileUnreadable,
            std::string("its storage directory cannot be read (") + std::strerror(error) + ")"};
}

std::optional<FileFault> StatFault(int fd, const std::string& name, const struct stat& st)
{
    if (!S_ISREG(st.st_mode)) return FileFault{FindingKind::FileNotPlain, NotPlain(st.st_mode)};
    // Readable by everyone needs no second look; otherwise ask as this process.
    if ((st.st_mode & 0444) != 0444 && ::faccessat(fd, name.c_str(), R_OK, AT_EACCESS) != 0)
        return FileFault{FindingKind::FileUnreadable, std::strerror(errno)};
    if (st.st_size == 0) return FileFault{FindingKind::FileEmpty, ""};
    return std::nullopt;
}

const char* NotPlain(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISLNK(mode)) return "a link";
    return "not a plain file";
}

std::vector<std::string> RootDirectories(const std::string& libPath)
{
    const int fd = ::open(libPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot open " + libPath);
    std::vector<std::string> found;
    const int error = ListDirectory(fd, [&](const char* name, unsigned char) {
        struct stat st {};
        if (name[0] != '.' && std::strcmp(name, "00000000") != 0 && ::fstatat(fd, name, &st, 0) == 0 &&
            S_ISDIR(st.st_mode))
            found.emplace_back(name);
    });
    ::close(fd);
    if (error != 0) throw std::system_error(error, std::generic_category(), "cannot list " + libPath);
    std::sort(found.begin(), found.end());
    return found;
}
