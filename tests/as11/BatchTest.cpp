// The real programs: as11's command line (files beside the source, exit
// status, stale error file) and asm.sh's contract with the IDE (the scratch
// files and the marker, also when assembly fails).
#include "As11TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using as11test::readFile;
using as11test::runCommand;
using as11test::writeFile;

namespace {

const fs::path binDir = AS11_BIN_DIR;

std::string quote(const fs::path& p) { return "'" + p.string() + "'"; }

class Batch : public ::testing::Test {
protected:
    void SetUp() override { dir = as11test::makeTempDir("batch"); }
    void TearDown() override { fs::remove_all(dir); }
    int runAsm()
    {
        return runCommand("cd " + quote(dir) + " && " + quote(binDir / "asm.sh") + " >/dev/null 2>&1");
    }
    int as11(const std::string& args)
    {
        return runCommand("cd " + quote(dir) + " && " + quote(binDir / "as11") + " " + args + " >out.txt 2>err.txt");
    }
    bool has(const char* name) const { return fs::exists(dir / name); }
    fs::path dir;
};

const char* goodSource = " ORG $E000\nSTART LDAA #1\n BRA START\n ORG $FFFE\n FDB START\n END START\n";
const char* badSource = " ORG $E000\n LDAA #1\n LDAB NOWHERE\n BRA\n";

TEST_F(Batch, AsmShAssemblesAndLeavesTheMarker)
{
    writeFile(dir / "Temp$$$.asm", goodSource);
    EXPECT_EQ(runAsm(), 0);
    EXPECT_TRUE(has("Temp$$$.lst"));
    EXPECT_TRUE(has("Temp$$$.s19"));
    EXPECT_FALSE(has("Temp$$$.err"));
    EXPECT_TRUE(has("Temp$$$.$$$"));
    EXPECT_NE(readFile(dir / "Temp$$$.lst").find("0002 E000 86 01            START LDAA #1"), std::string::npos);
    EXPECT_NE(readFile(dir / "Temp$$$.s19").find("S105FFFEE0001D"), std::string::npos);
}

TEST_F(Batch, AsmShOnErrorsWritesErrorListingAndMarker)
{
    writeFile(dir / "Temp$$$.asm", badSource);
    runAsm();
    EXPECT_TRUE(has("Temp$$$.lst"));
    EXPECT_TRUE(has("Temp$$$.err"));
    EXPECT_FALSE(has("Temp$$$.s19"));
    EXPECT_TRUE(has("Temp$$$.$$$"));
    EXPECT_EQ(readFile(dir / "Temp$$$.err"), "3: undefined symbol NOWHERE\n4: missing operand for BRA\n");
}

TEST_F(Batch, AsmShWithoutSourceStillLeavesTheMarker)
{
    runAsm();
    EXPECT_TRUE(has("Temp$$$.$$$"));
    ASSERT_TRUE(has("Temp$$$.err"));
    std::string err = readFile(dir / "Temp$$$.err");
    EXPECT_EQ(err.rfind("1: ", 0), 0u) << err;
    EXPECT_NE(err.find("cannot read"), std::string::npos) << err;
}

TEST_F(Batch, AsmShFindsAs11BesideItselfFromAnyDirectory)
{
    // A copy of the script elsewhere, next to a stand-in as11 that fails.
    fs::path other = dir / "tools";
    fs::create_directory(other);
    fs::copy_file(binDir / "asm.sh", other / "asm.sh");
    writeFile(other / "as11", "#!/bin/sh\necho 'stand-in failure' >&2\nexit 3\n");
    fs::permissions(other / "as11", fs::perms::owner_all);
    fs::permissions(other / "asm.sh", fs::perms::owner_all);
    writeFile(dir / "Temp$$$.asm", goodSource);
    runCommand("cd " + quote(dir) + " && " + quote(other / "asm.sh") + " >/dev/null 2>&1");
    EXPECT_TRUE(has("Temp$$$.$$$"));
    EXPECT_EQ(readFile(dir / "Temp$$$.err"), "1: stand-in failure\n");
}

TEST_F(Batch, As11WritesFilesBesideTheSource)
{
    writeFile(dir / "prog.asm", goodSource);
    EXPECT_EQ(as11("prog.asm"), 0);
    EXPECT_TRUE(has("prog.lst"));
    EXPECT_TRUE(has("prog.s19"));
    EXPECT_FALSE(has("prog.err"));

    writeFile(dir / "prog.asm", badSource);
    EXPECT_EQ(as11("prog.asm"), 1);
    EXPECT_TRUE(has("prog.err"));
    EXPECT_FALSE(has("prog.s19"));
    EXPECT_NE(readFile(dir / "err.txt").find("prog.asm:3: undefined symbol NOWHERE"), std::string::npos);

    // Fixing the source removes the stale error listing.
    writeFile(dir / "prog.asm", goodSource);
    EXPECT_EQ(as11("prog.asm"), 0);
    EXPECT_FALSE(has("prog.err"));
}

TEST_F(Batch, As11NamesFollowTheBaseName)
{
    writeFile(dir / "a.b.asm", goodSource);
    writeFile(dir / "PROG", goodSource);
    EXPECT_EQ(as11("a.b.asm"), 0);
    EXPECT_EQ(as11("PROG"), 0);
    EXPECT_TRUE(has("a.b.lst"));
    EXPECT_TRUE(has("a.b.s19"));
    EXPECT_TRUE(has("PROG.lst"));
    EXPECT_TRUE(has("PROG.s19"));
    EXPECT_EQ(as11("-l x.lst -s y.s19 -e z.err PROG"), 0);
    EXPECT_TRUE(has("x.lst"));
    EXPECT_TRUE(has("y.s19"));
}

TEST_F(Batch, As11NeverWritesOverItsSource)
{
    // The source's own name as an output: listing (PROG.lst as source, and
    // -l naming it), S-records and error listing.
    struct Case {
        const char* file;
        const char* args;
        const char* text;
    };
    for (const Case& c : {Case{"prog.lst", "prog.lst", goodSource}, Case{"prog.asm", "-l prog.asm prog.asm", goodSource},
                          Case{"prog.asm", "-s ./prog.asm prog.asm", goodSource},
                          Case{"prog.asm", "-e prog.asm prog.asm", badSource}}) {
        SCOPED_TRACE(c.args);
        writeFile(dir / c.file, c.text);
        EXPECT_EQ(as11(c.args), 2);
        EXPECT_EQ(readFile(dir / c.file), c.text);
        EXPECT_NE(readFile(dir / "err.txt").find("would overwrite the source"), std::string::npos);
    }
}

TEST_F(Batch, As11RefusesTwoOutputsInOneFile)
{
    // However the one file is spelt: the same name, "./" and "sub/.." forms,
    // a symbolic link to it, a default name repeated by an option, and for
    // the error listing too (a clean run would remove the listing).
    fs::create_directory(dir / "sub");
    writeFile(dir / "x.lst", "OLD LISTING\n");
    fs::create_symlink("x.lst", dir / "alias.lst");
    struct Case {
        const char* args;
        const char* options;  // the two options named in the message
    };
    for (const Case& c : {Case{"-l x.lst -s x.lst prog.asm", "-l and -s"},
                          Case{"-l x.lst -s ./x.lst prog.asm", "-l and -s"},
                          Case{"-l x.lst -s sub/../x.lst prog.asm", "-l and -s"},
                          Case{"-l x.lst -e alias.lst prog.asm", "-l and -e"},
                          Case{"-s prog.lst prog.asm", "-l and -s"},
                          Case{"-e prog.s19 prog.asm", "-s and -e"},
                          Case{"-l new.lst -e ./new.lst prog.asm", "-l and -e"}}) {
        SCOPED_TRACE(c.args);
        writeFile(dir / "prog.asm", goodSource);
        EXPECT_EQ(as11(c.args), 2);
        const std::string err = readFile(dir / "err.txt");
        EXPECT_NE(err.find(std::string("the ") + c.options + " outputs"), std::string::npos) << err;
        EXPECT_NE(err.find("are one file"), std::string::npos) << err;
        EXPECT_EQ(readFile(dir / "x.lst"), "OLD LISTING\n");
        EXPECT_FALSE(has("prog.s19"));
        EXPECT_FALSE(has("new.lst"));
    }
    // Devices may be shared: both outputs thrown away is a fair wish.
    writeFile(dir / "prog.asm", goodSource);
    EXPECT_EQ(as11("-l /dev/null -s /dev/null -e /dev/null prog.asm"), 0) << readFile(dir / "err.txt");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(Batch, As11WritesNoOutputsBesideADevice)
{
    // A device as the source would put /dev/zero.lst beside it: refused up
    // front, and nothing is read.
    for (const char* device : {"/dev/zero", "/dev/null"}) {
        SCOPED_TRACE(device);
        EXPECT_EQ(as11(device), 2);
        const std::string err = readFile(dir / "err.txt");
        EXPECT_NE(err.find(std::string(device) + " is not a regular file"), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(std::string(device) + ".lst"));
        EXPECT_EQ(as11(std::string("-l out.lst ") + device), 2);
        EXPECT_FALSE(has("out.lst"));
    }
    // With every output named, a device is read like a file: /dev/null is
    // an empty source.
    EXPECT_EQ(as11("-l out.lst -s out.s19 -e out.err /dev/null"), 0) << readFile(dir / "err.txt");
    EXPECT_TRUE(has("out.lst"));
    EXPECT_TRUE(has("out.s19"));
}

TEST_F(Batch, As11StopsAnEndlessSourceAtTheSizeBound)
{
    // /dev/zero never ends; a pipe that keeps writing neither.
    EXPECT_EQ(as11("-l out.lst -s out.s19 -e out.err /dev/zero"), 2);
    std::string err = readFile(dir / "err.txt");
    EXPECT_NE(err.find("cannot read /dev/zero: larger than 16 MB"), std::string::npos) << err;
    EXPECT_FALSE(has("out.lst"));
    EXPECT_EQ(runCommand("cd " + quote(dir) + " && yes ' NOP' | " + quote(binDir / "as11") +
                         " -l p.lst -s p.s19 -e p.err /dev/stdin >out.txt 2>err.txt"),
              2);
    err = readFile(dir / "err.txt");
    EXPECT_NE(err.find("larger than 16 MB"), std::string::npos) << err;
    EXPECT_FALSE(has("p.lst"));
}

TEST_F(Batch, As11ExitStatusForUnreadableSourceAndOptions)
{
    EXPECT_EQ(as11("missing.asm"), 2);
    EXPECT_NE(readFile(dir / "err.txt").find("cannot read missing.asm"), std::string::npos);
    EXPECT_EQ(as11("."), 2);
    EXPECT_EQ(as11(""), 2);
    EXPECT_EQ(as11("--bogus x.asm"), 2);
    EXPECT_EQ(as11("--help"), 0);
    EXPECT_NE(readFile(dir / "out.txt").find("Usage: as11"), std::string::npos);
    EXPECT_EQ(as11("--version"), 0);
    EXPECT_NE(readFile(dir / "out.txt").find("as11 "), std::string::npos);
}

// --help: every option the parser accepts, the number notation of the
// source, the exit statuses, and examples that work as written.
TEST_F(Batch, As11HelpDescribesOptionsNotationStatusesAndWorkingExamples)
{
    ASSERT_EQ(as11("--help"), 0);
    const std::string help = readFile(dir / "out.txt");
    std::vector<std::string> options, examples;
    std::istringstream lines(help);
    bool inOptions = false, inExamples = false;
    for (std::string line; std::getline(lines, line);) {
        if (line == "Options:" || line == "Example:") {
            inOptions = line == "Options:";
            inExamples = !inOptions;
            continue;
        }
        if (line.empty())
            inOptions = false;
        if (inOptions && line.rfind("  -", 0) == 0) {
            std::istringstream words(line);
            for (std::string w; words >> w;) {
                if (w.back() == ',')
                    w.pop_back();
                if (w == "FILE")  // an option's argument
                    continue;
                if (w[0] != '-')
                    break;
                options.push_back(w);
            }
        }
        if (inExamples && line.rfind("  as11 ", 0) == 0) {
            // The command ends where the explanation begins (two blanks).
            const std::string command = line.substr(2, line.find("   ", 2) - 2);
            examples.push_back(command);
        }
    }
    for (const char* expected : {"-l", "--listing", "-s", "--srecords", "-e", "--errors", "-q", "--quiet", "-h",
                                 "--help", "-V", "--version"})
        EXPECT_NE(std::find(options.begin(), options.end(), expected), options.end()) << expected << "\n" << help;
    writeFile(dir / "x.asm", goodSource);
    for (const std::string& option : options) {
        const bool takesFile = option == "-l" || option == "--listing" || option == "-s" || option == "--srecords" ||
                               option == "-e" || option == "--errors";
        as11(option + (takesFile ? " other.out" : "") + " x.asm");
        EXPECT_EQ(readFile(dir / "err.txt").find("unknown option"), std::string::npos) << option;
    }
    as11("--no-such-option x.asm");
    EXPECT_NE(readFile(dir / "err.txt").find("unknown option"), std::string::npos);

    for (const char* notation : {"$C000", "%11000000", "@140000", "49152", "decimal"})
        EXPECT_NE(help.find(notation), std::string::npos) << notation;
    for (const char* status : {"Exit status:", "  0  ", "  1  ", "  2  "})
        EXPECT_NE(help.find(status), std::string::npos) << status;

    // The examples, run on a program named as they name it.
    ASSERT_FALSE(examples.empty()) << help;
    for (const std::string& example : examples) {
        fs::remove(dir / "prog.lst");
        fs::remove(dir / "prog.s19");
        fs::remove(dir / "out.lst");
        writeFile(dir / "prog.asm", goodSource);
        const std::string command = quote(binDir / "as11") + example.substr(4);
        EXPECT_EQ(runCommand("cd " + quote(dir) + " && " + command + " >out.txt 2>err.txt"), 0) << example;
        EXPECT_TRUE(has("prog.s19")) << example;
        EXPECT_TRUE(has("prog.lst") || has("out.lst")) << example;
    }
}

} // namespace
