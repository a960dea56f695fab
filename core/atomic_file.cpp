#include "core/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix::core {

namespace {

namespace fs = std::filesystem;

// The file a path finally names once every symbolic link on the way is
// followed; the target need not exist yet. Fails with ELOOP on a cycle.
int resolveLinks(fs::path& path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return 0;
        std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096) + 1);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return errno;
        const fs::path next(std::string(target.data(), static_cast<size_t>(length)));
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return ELOOP;
}

// Why the existing file at path may not be replaced; 0 when it may (or when
// there is none).
int refusal(const fs::path& path, struct stat& existing, bool& exists)
{
    exists = ::stat(path.c_str(), &existing) == 0;
    if (!exists)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(existing.st_mode))
        return EISDIR;
    if (!S_ISREG(existing.st_mode))
        return EPERM;
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return EACCES;
    if (::access(path.c_str(), W_OK) != 0)
        return errno;
    return 0;
}

int writeAll(int fd, std::string_view bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        written += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

std::string replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    fs::path target(path);
    if (const int error = resolveLinks(target); error != 0)
        return std::strerror(error);
    struct stat existing {};
    bool exists = false;
    if (const int error = refusal(target, existing, exists); error != 0)
        return std::strerror(error);

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Built by appending: GCC 12 misreads "." + std::string as an overlapping copy.
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string temporary = (folder / hidden).string();
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return std::strerror(errno);
    temporary = name.data();

    int error = writeAll(fd, bytes);
    // mkstemp makes the file private: give it the permissions of the file it
    // replaces, or those of any new file the user saves.
    if (error == 0) {
        if (exists) {
            ::fchmod(fd, existing.st_mode & 07777);
            if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
                // Only the superuser may give a file away; the user's own copy is fine.
            }
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(fd, 0666 & ~mask);
        }
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(temporary.c_str());
        return std::strerror(error);
    }
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace ombrix::core
