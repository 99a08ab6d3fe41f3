// A small file system of its own for tests of full disks and read-only
// folders: a tmpfs of a given size mounted on a fresh temporary folder,
// unmounted and removed again at the end. Mounting needs root (or the
// mount capability); where it is refused, available() is false and the
// test skips itself.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace zelk::test {

class SmallDisk {
public:
    explicit SmallDisk(const char* sizeOption = "size=64k")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelk-disk-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        dir_ = pattern;
        mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, sizeOption) == 0;
        if (!mounted_)
            why_ = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
        if (!dir_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool available() const { return mounted_; }
    std::string why() const { return "no tmpfs could be mounted: " + why_; }
    const std::filesystem::path& dir() const { return dir_; }

    // Makes the file system read-only (its files stay readable).
    bool makeReadOnly()
    {
        return mounted_ && ::mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::filesystem::path dir_;
    bool mounted_ = false;
    std::string why_ = "no temporary folder";
};

} // namespace zelk::test
