// Where the program's own files are found: beside the program first, then
// in the data folder of an installed tree.
#include "editor/ProgramFiles.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using zelk::findProgramFile;
using zelk::installedDataDir;

namespace {

// A tree laid out as installed: <root>/bin holds the program, <root>/share/zelk
// its data.
struct InstalledTree {
    TempDir root;
    fs::path bin() const { return root.path() / "bin"; }
    fs::path data() const { return root.path() / "share" / "zelk"; }
    InstalledTree()
    {
        fs::create_directories(bin());
        fs::create_directories(data());
    }
};

struct Case {
    const char* what;
    bool beside;      // the file exists beside the program
    bool inData;      // the file exists in the data folder
    bool expectData;  // the data folder's copy is the one found
};

} // namespace

TEST(ProgramFiles, DataFolderIsShareZelkBesideBin)
{
    EXPECT_EQ(installedDataDir("/opt/zelk/bin"), fs::path("/opt/zelk/share/zelk"));
    EXPECT_EQ(installedDataDir("/usr/bin/"), fs::path("/usr/share/zelk"));
}

TEST(ProgramFiles, FindsBesideTheProgramFirstThenTheDataFolder)
{
    const Case cases[] = {
        {"build tree: beside the program only", true, false, false},
        {"installed: in the data folder only", false, true, true},
        {"both: the program's folder wins", true, true, false},
        {"neither: the path beside the program, for the message", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstalledTree tree;
        if (c.beside)
            writeFile(tree.bin() / "ZELK.html", "beside");
        if (c.inData)
            writeFile(tree.data() / "ZELK.html", "data");
        const fs::path found = findProgramFile(tree.bin(), "ZELK.html");
        EXPECT_EQ(found, (c.expectData ? tree.data() : tree.bin()) / "ZELK.html");
    }
}

TEST(ProgramFiles, AFolderOfThatNameIsNotTheFile)
{
    InstalledTree tree;
    fs::create_directories(tree.bin() / "asm.sh");
    writeFile(tree.data() / "asm.sh", "#!/bin/sh\n");
    EXPECT_EQ(findProgramFile(tree.bin(), "asm.sh"), tree.data() / "asm.sh");
}
