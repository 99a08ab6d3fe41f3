// Atomic replacement of user files: a failed write (full disk, file-size
// limit, read-only folder, missing folder, a folder as the name) reports the
// system's description and leaves the old file as it was, with no temporary
// file behind; a good write keeps permissions and symbolic links.
#include "SmallDisk.h"
#include "link/FileOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using zelk::moveFileAtomically;
using zelk::writeFileAtomically;
using zelk::test::SmallDisk;

namespace {

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void putFile(const fs::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}

std::vector<std::string> namesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "zelk-out-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            dir_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    const fs::path& dir() const { return dir_; }

private:
    fs::path dir_;
};

// Runs writeFileAtomically in a child whose file-size limit is `limit`
// bytes and returns its error text.
std::string writeUnderSizeLimit(const fs::path& file, const std::string& bytes, rlim_t limit)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFd[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
        const std::string error = writeFileAtomically(file, bytes);
        const ssize_t n = ::write(pipeFd[1], error.data(), error.size());
        ::_exit(n == static_cast<ssize_t>(error.size()) ? 0 : 1);
    }
    ::close(pipeFd[1]);
    std::string error;
    char buf[256];
    ssize_t n;
    while ((n = ::read(pipeFd[0], buf, sizeof buf)) > 0)
        error.append(buf, static_cast<size_t>(n));
    ::close(pipeFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return error;
}

struct FailureCase {
    const char* name;
    // Prepares the place of the old file (folder given) and returns the path
    // to write, or an empty path with `skip` set when the case cannot run here.
    std::function<fs::path(const fs::path& folder, std::string& skip, std::unique_ptr<SmallDisk>& disk)> place;
    std::string expected;  // the system's description of the failure
    bool sizeLimited = false;
    bool folderIsOurs = true;  // the folder holds nothing but the test's files
};

class FileOutputFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FileOutputFailure, ReportsTheCauseAndKeepsTheOldFile)
{
    const FailureCase& c = GetParam();
    TempFolder tmp;
    std::unique_ptr<SmallDisk> disk;
    std::string skip;
    const fs::path file = c.place(tmp.dir(), skip, disk);
    if (file.empty())
        GTEST_SKIP() << skip;
    const fs::path folder = file.parent_path();
    const bool hadOld = fs::is_regular_file(file);
    const std::string old = hadOld ? readFile(file) : std::string();
    const bool lookInFolder = c.folderIsOurs && fs::is_directory(folder);
    const std::vector<std::string> before = lookInFolder ? namesIn(folder) : std::vector<std::string>();

    const std::string big(200 * 1024, 'x');
    const std::string error = c.sizeLimited ? writeUnderSizeLimit(file, big, 4096) : writeFileAtomically(file, big);

    EXPECT_EQ(error, c.expected);
    if (hadOld) {
        EXPECT_EQ(readFile(file), old);
    }
    if (lookInFolder) {
        EXPECT_EQ(namesIn(folder), before) << "a temporary file was left behind";
    }
}

fs::path withOldFile(const fs::path& folder)
{
    const fs::path file = folder / "prog.asm";
    putFile(file, " ORG $E000\n NOP\n");
    return file;
}

INSTANTIATE_TEST_SUITE_P(Cases, FileOutputFailure, ::testing::Values(
    FailureCase{"FullDisk",
                [](const fs::path&, std::string& skip, std::unique_ptr<SmallDisk>& disk) {
                    disk = std::make_unique<SmallDisk>("size=64k");
                    if (!disk->available()) {
                        skip = disk->why();
                        return fs::path();
                    }
                    return withOldFile(disk->dir());
                },
                "No space left on device"},
    FailureCase{"FileSizeLimit",
                [](const fs::path& folder, std::string&, std::unique_ptr<SmallDisk>&) { return withOldFile(folder); },
                "File too large", true},
    FailureCase{"ReadOnlyFileSystem",
                [](const fs::path&, std::string& skip, std::unique_ptr<SmallDisk>& disk) {
                    disk = std::make_unique<SmallDisk>();
                    if (!disk->available()) {
                        skip = disk->why();
                        return fs::path();
                    }
                    const fs::path file = withOldFile(disk->dir());
                    if (!disk->makeReadOnly()) {
                        skip = "the tmpfs could not be made read-only";
                        return fs::path();
                    }
                    return file;
                },
                "Read-only file system"},
    FailureCase{"ReadOnlyFolder",
                [](const fs::path& folder, std::string& skip, std::unique_ptr<SmallDisk>&) {
                    if (::geteuid() == 0) {
                        skip = "root writes into any folder";
                        return fs::path();
                    }
                    const fs::path file = withOldFile(folder);
                    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
                    return file;
                },
                "Permission denied"},
    FailureCase{"MissingFolder",
                [](const fs::path& folder, std::string&, std::unique_ptr<SmallDisk>&) {
                    return folder / "no-such-folder" / "prog.asm";
                },
                "No such file or directory"},
    FailureCase{"FolderInTheWay",
                [](const fs::path& folder, std::string&, std::unique_ptr<SmallDisk>&) {
                    fs::create_directory(folder / "prog.asm");
                    return folder / "prog.asm";
                },
                "Is a directory"},
    FailureCase{"DeviceThatIsFull",
                [](const fs::path&, std::string& skip, std::unique_ptr<SmallDisk>&) {
                    if (!fs::is_character_file("/dev/full")) {
                        skip = "no /dev/full";
                        return fs::path();
                    }
                    return fs::path("/dev/full");
                },
                "No space left on device", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileOutput, ReplacesTheContentAndKeepsThePermissions)
{
    struct Case {
        fs::perms perms;
    };
    for (const Case& c : {Case{fs::perms(0640)}, Case{fs::perms(0755)}, Case{fs::perms(0600)}}) {
        TempFolder tmp;
        const fs::path file = withOldFile(tmp.dir());
        fs::permissions(file, c.perms);
        ASSERT_EQ(writeFileAtomically(file, "NEW\n"), "");
        EXPECT_EQ(readFile(file), "NEW\n");
        EXPECT_EQ(fs::status(file).permissions(), c.perms);
        EXPECT_EQ(namesIn(tmp.dir()), std::vector<std::string>{"prog.asm"});
    }
}

TEST(FileOutput, NewFileGetsTheUmaskPermissions)
{
    TempFolder tmp;
    const mode_t saved = ::umask(027);
    const std::string error = writeFileAtomically(tmp.dir() / "new.asm", "A\n");
    ::umask(saved);
    ASSERT_EQ(error, "");
    EXPECT_EQ(fs::status(tmp.dir() / "new.asm").permissions(), fs::perms(0640));
    EXPECT_EQ(readFile(tmp.dir() / "new.asm"), "A\n");
}

TEST(FileOutput, SymbolicLinkStaysALinkToTheNewContent)
{
    TempFolder tmp;
    fs::create_directory(tmp.dir() / "real");
    const fs::path target = withOldFile(tmp.dir() / "real");
    const fs::path link = tmp.dir() / "link.asm";
    fs::create_symlink("real/prog.asm", link);
    ASSERT_EQ(writeFileAtomically(link, "LINKED\n"), "");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(readFile(target), "LINKED\n");
    EXPECT_EQ(namesIn(tmp.dir() / "real"), std::vector<std::string>{"prog.asm"});
}

TEST(FileOutput, EmptyContentAndRelativeNames)
{
    TempFolder tmp;
    const fs::path cwd = fs::current_path();
    fs::current_path(tmp.dir());
    putFile("rel.asm", "OLD");
    const std::string error = writeFileAtomically("rel.asm", "");
    fs::current_path(cwd);
    ASSERT_EQ(error, "");
    EXPECT_EQ(readFile(tmp.dir() / "rel.asm"), "");
}

TEST(FileOutput, DevicesAreWrittenInPlace)
{
    ASSERT_EQ(writeFileAtomically("/dev/null", "discarded"), "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(FileOutput, MoveAcrossFileSystemsReplacesTheDestination)
{
    SmallDisk disk("size=1m");
    if (!disk.available())
        GTEST_SKIP() << disk.why();
    TempFolder tmp;
    const fs::path from = tmp.dir() / "Temp$$$.lst";
    putFile(from, "LISTING\n");
    const fs::path to = withOldFile(disk.dir());
    fs::permissions(to, fs::perms(0644));
    ASSERT_EQ(moveFileAtomically(from, to), "");
    EXPECT_EQ(readFile(to), "LISTING\n");
    EXPECT_FALSE(fs::exists(from));
    EXPECT_EQ(namesIn(disk.dir()), std::vector<std::string>{"prog.asm"});
}

TEST(FileOutput, MoveOntoAFullDiskKeepsBothFiles)
{
    SmallDisk disk("size=64k");
    if (!disk.available())
        GTEST_SKIP() << disk.why();
    TempFolder tmp;
    const fs::path from = tmp.dir() / "Temp$$$.lst";
    putFile(from, std::string(200 * 1024, 'L'));
    const fs::path to = withOldFile(disk.dir());
    const std::string old = readFile(to);
    EXPECT_EQ(moveFileAtomically(from, to), "No space left on device");
    EXPECT_EQ(readFile(to), old);
    EXPECT_TRUE(fs::exists(from));
    EXPECT_EQ(namesIn(disk.dir()), std::vector<std::string>{"prog.asm"});
}

} // namespace
