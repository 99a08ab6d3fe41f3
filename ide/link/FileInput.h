// Opening a file for reading, with the system's own text for why it cannot
// be opened. A directory is refused up front: an ifstream would open one on
// Linux and then fail every read without a useful error. Whole-file reads
// stop at a size bound, so an endless file (/dev/zero, a pipe) ends with a
// message instead of filling the memory.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace zelk {

// Opens `file` into `in` (binary). Returns an empty string on success,
// otherwise the system error text (EISDIR for a directory, ENOENT when the
// failed open left no errno).
inline std::string openFileInput(const std::filesystem::path& file, std::ifstream& in)
{
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return std::strerror(EISDIR);
    errno = 0;
    in.open(file, std::ios::binary);
    if (!in)
        return std::strerror(errno != 0 ? errno : ENOENT);
    return {};
}

// The largest file read whole: far beyond any S-record file or source for
// a 64 KB target.
inline constexpr size_t MaxInputFileBytes = size_t(16) * 1024 * 1024;

// Reads all of `file` into `content`. Returns an empty string on success,
// otherwise the system's error text; a file longer than `limit` gives
// "File too large" and an empty content.
inline std::string readFileInput(const std::filesystem::path& file, std::string& content,
                                 size_t limit = MaxInputFileBytes)
{
    content.clear();
    std::ifstream in;
    if (std::string error = openFileInput(file, in); !error.empty())
        return error;
    char buffer[64 * 1024];
    for (;;) {
        in.read(buffer, sizeof buffer);
        const size_t n = static_cast<size_t>(in.gcount());
        if (n > limit - content.size()) {
            content.clear();
            return std::strerror(EFBIG);
        }
        content.append(buffer, n);
        if (in.bad()) {
            content.clear();
            return std::strerror(errno != 0 ? errno : EIO);
        }
        if (in.eof())
            return {};
    }
}

} // namespace zelk
