// Opening a file for reading, with the system's own text for why it cannot
// be opened. A directory is refused up front: an ifstream would open one on
// Linux and then fail every read without a useful error.
#pragma once

#include <cerrno>
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

} // namespace zelk
