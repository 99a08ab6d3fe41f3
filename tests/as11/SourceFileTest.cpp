// as11's source reading within its size bound, and its test for two names
// of one file.
#include "SourceFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zelk::as11;

namespace {

TEST(SourceFile, ReadsUpToTheBoundAndRefusesMore)
{
    struct Case {
        size_t length;
        size_t limit;
        bool ok;
    };
    // Around the bound and around the reader's 64 KB blocks.
    for (const Case& c : {Case{0, 10, true}, Case{10, 10, true}, Case{11, 10, false}, Case{65536, 65536, true},
                          Case{65537, 65536, false}, Case{65536, 65535, false}, Case{200000, 1 << 20, true},
                          Case{(1 << 20) + 1, 1 << 20, false}}) {
        SCOPED_TRACE(testing::Message() << c.length << " bytes, limit " << c.limit);
        std::string source(c.length, 'A');
        for (size_t i = 0; i < source.size(); i += 7)
            source[i] = static_cast<char>('0' + i % 10);
        std::istringstream in(source);
        std::string text = "stale", error;
        EXPECT_EQ(readSource(in, c.limit, text, error), c.ok);
        if (c.ok) {
            EXPECT_EQ(text, source);
            EXPECT_EQ(error, "");
        } else {
            EXPECT_EQ(text, "");
            EXPECT_EQ(error, "larger than " + sizeText(c.limit));
        }
    }
}

TEST(SourceFile, SizeText)
{
    struct Case {
        size_t bytes;
        const char* text;
    };
    for (const Case& c : {Case{MaxSourceBytes, "16 MB"}, Case{65536, "64 KB"}, Case{1, "1 byte"}, Case{10, "10 bytes"},
                          Case{1025, "1025 bytes"}})
        EXPECT_EQ(sizeText(c.bytes), c.text);
}

TEST(SourceFile, ReadErrorsGiveTheSystemsDescription)
{
    std::string text, error;
    EXPECT_FALSE(readSourceFile("/no/such/file.asm", MaxSourceBytes, text, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(readSourceFile(fs::temp_directory_path(), MaxSourceBytes, text, error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(readSourceFile("/dev/zero", 1 << 20, text, error));
    EXPECT_EQ(error, "larger than 1 MB");
}

TEST(SourceFile, SameFileThroughEverySpelling)
{
    std::string pattern = (fs::temp_directory_path() / "as11-same-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    fs::create_directory(dir / "sub");
    std::ofstream(dir / "a.lst") << "x";
    std::ofstream(dir / "b.lst") << "x";
    fs::create_symlink("a.lst", dir / "link.lst");
    fs::create_hard_link(dir / "a.lst", dir / "hard.lst");
    struct Case {
        fs::path a, b;
        bool same;
    };
    for (const Case& c : {Case{dir / "a.lst", dir / "a.lst", true}, Case{dir / "a.lst", dir / "./a.lst", true},
                          Case{dir / "a.lst", dir / "sub/../a.lst", true}, Case{dir / "a.lst", dir / "link.lst", true},
                          Case{dir / "a.lst", dir / "hard.lst", true}, Case{dir / "a.lst", dir / "b.lst", false},
                          Case{dir / "new.lst", dir / "sub/../new.lst", true}, Case{dir / "new.lst", dir / "new.s19", false},
                          Case{dir / "sub/new.lst", dir / "new.lst", false}}) {
        SCOPED_TRACE(c.a.string() + " / " + c.b.string());
        EXPECT_EQ(sameFile(c.a, c.b), c.same);
    }
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(sameFile("a.lst", dir / "a.lst"));
    EXPECT_TRUE(sameFile("new.lst", "./sub/../new.lst"));
    fs::current_path(cwd);
    fs::remove_all(dir);
}

} // namespace
