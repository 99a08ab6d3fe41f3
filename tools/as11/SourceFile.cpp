// Reading as11's source within its bound, and comparing output names.
#include "SourceFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace zelk::as11 {

std::string sizeText(size_t bytes)
{
    constexpr size_t KB = 1024, MB = 1024 * 1024;
    if (bytes >= MB && bytes % MB == 0)
        return std::to_string(bytes / MB) + " MB";
    if (bytes >= KB && bytes % KB == 0)
        return std::to_string(bytes / KB) + " KB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

bool readSource(std::istream& in, size_t limit, std::string& text, std::string& error)
{
    text.clear();
    char buffer[64 * 1024];
    for (;;) {
        in.read(buffer, sizeof buffer);
        const size_t n = static_cast<size_t>(in.gcount());
        if (n > limit - text.size()) {
            text.clear();
            error = "larger than " + sizeText(limit);
            return false;
        }
        text.append(buffer, n);
        if (in.bad()) {
            text.clear();
            error = std::strerror(errno != 0 ? errno : EIO);
            return false;
        }
        if (in.eof())
            return true;
    }
}

bool readSourceFile(const fs::path& file, size_t limit, std::string& text, std::string& error)
{
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        error = std::strerror(EISDIR);
        return false;
    }
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    return readSource(in, limit, text, error);
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    if (fs::equivalent(a, b, ec))
        return true;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec)
        return false;
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && ca == cb;
}

} // namespace zelk::as11
