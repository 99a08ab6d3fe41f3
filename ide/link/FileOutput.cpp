// Atomic replacement of user files (see FileOutput.h).
#include "link/FileOutput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace zelk {

namespace {

std::string systemError(int e) { return std::strerror(e != 0 ? e : EIO); }

bool writeAll(int fd, std::string_view bytes, int& error)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0) {
            error = ENOSPC;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// The file a write to `file` replaces: a symbolic link's final target, so
// the link itself survives the rename.
fs::path replacedFile(const fs::path& file)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        const fs::path target = fs::weakly_canonical(file, ec);
        if (!ec)
            return target;
    }
    return file;
}

mode_t currentUmask()
{
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
}

// A file that is not regular (a device, a pipe): write it where it is.
std::string writeInPlace(const fs::path& file, std::string_view bytes)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return systemError(errno);
    int error = 0;
    const bool ok = writeAll(fd, bytes, error);
    if (::close(fd) != 0 && ok)
        return systemError(errno);
    return ok ? std::string() : systemError(error);
}

} // namespace

std::string writeFileAtomically(const fs::path& file, std::string_view bytes)
{
    const fs::path target = replacedFile(file);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return systemError(EISDIR);
    if (exists && !S_ISREG(old.st_mode))
        return writeInPlace(target, bytes);
    // A file the user may not write is not replaced behind their back, even
    // though the folder would allow the rename.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return systemError(errno);

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);

    int error = 0;
    bool ok = writeAll(fd, bytes, error);
    if (ok) {
        // The permissions the file had, or those of a new file.
        const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~currentUmask());
        if (::fchmod(fd, mode) != 0) {
            error = errno;
            ok = false;
        }
        if (ok && exists && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the owner's group or root may hand the file back; the
            // contents matter more than the owner, so go on.
        }
    }
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && ::rename(name.data(), target.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(name.data());
        return systemError(error);
    }
    // Make the rename itself durable; a folder that cannot be synced still
    // holds the new file.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

std::string moveFileAtomically(const fs::path& from, const fs::path& to)
{
    struct stat dest {};
    const fs::path target = replacedFile(to);
    const bool special = ::stat(target.c_str(), &dest) == 0 && !S_ISREG(dest.st_mode);
    if (!special && ::rename(from.c_str(), target.c_str()) == 0)
        return {};
    if (!special && errno != EXDEV)
        return systemError(errno);
    std::ifstream in(from, std::ios::binary);
    if (!in)
        return systemError(errno);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return systemError(EIO);
    in.close();
    if (std::string error = writeFileAtomically(target, bytes); !error.empty())
        return error;
    std::error_code ec;
    fs::remove(from, ec);
    return {};
}

} // namespace zelk
