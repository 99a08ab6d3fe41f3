// The assemble flow with a fake script runner: titles, the scratch file
// contract, stale results, the marker wait and its time-out.
#include "ProcessCheck.h"
#include "TempDir.h"
#include "../link/SmallDisk.h"
#include "editor/AssembleFlow.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <thread>
#include <vector>
#include <unistd.h>

using namespace zelk;
namespace fs = std::filesystem;

namespace {

TEST(AssembleTitles, WithAndWithoutDots)
{
    struct Case {
        const char* title;
        const char* base;
    } cases[] = {
        {"prog.asm", "prog"}, {"PROG", "PROG"}, {"a.b.asm", "a.b"}, {"x.", "x"}, {"demo.ASM", "demo"},
    };
    for (const Case& c : cases) {
        AssembleTitles t = assembleTitles(c.title);
        EXPECT_EQ(t.target, c.title);
        EXPECT_EQ(t.base, c.base) << c.title;
        EXPECT_EQ(t.listing, std::string(c.base) + ".lst");
        EXPECT_EQ(t.error, std::string(c.base) + ".err");
        EXPECT_EQ(t.machineCode, std::string(c.base) + ".s19");
    }
}

TEST(AssembleTitles, DoneMessage)
{
    EXPECT_EQ(assemblyDoneMessage(assembleTitles("prog.asm")),
              "Assembly Source:\tprog.asm\n\rListing (Symbol):\tprog.lst\n\rMachine Code:\tprog.s19");
}

TEST(AssembleCommand, ActionFromTheRememberedTitle)
{
    TempDir dir;
    writeFile(dir.path() / "prog.asm", "");
    EXPECT_EQ(assembleAction("prog.asm", dir.path()), AssembleAction::Assemble);
    EXPECT_EQ(assembleAction("", dir.path()), AssembleAction::AskForFile);
    EXPECT_EQ(assembleAction("gone.asm", dir.path()), AssembleAction::Nothing);
    fs::remove(dir.path() / "prog.asm");
    EXPECT_EQ(assembleAction("prog.asm", dir.path()), AssembleAction::Nothing);
    EXPECT_EQ(asmSaveQuestion("prog.asm"), "Save prog.asm ?");
}

TEST(AssembleTools, MissingAssemblerThenScript)
{
    TempDir dir;
    AssembleTools tools{dir.path()};
    EXPECT_EQ(missingToolMessage(tools), "Can't Find as11 !");
    writeFile(dir.path() / "as11", "");
    EXPECT_EQ(missingToolMessage(tools), "Can't Find asm.sh !");
    writeFile(dir.path() / "asm.sh", "");
    EXPECT_EQ(missingToolMessage(tools), "");
}

TEST(ScratchDir, ProgramDirWhenWritableElseThePerUserDir)
{
    TempDir dir;
    fs::path user = dir.path() / "user" / "scratch";
    EXPECT_EQ(chooseScratchDir(dir.path(), user), dir.path());
    EXPECT_FALSE(fs::exists(user));
    EXPECT_EQ(chooseScratchDir(dir.path() / "missing", user), user);
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_EQ(chooseScratchDir(dir.path() / "missing", ""), fs::path());
    EXPECT_FALSE(defaultUserScratchDir().empty());
}

TEST(ScratchDir, ReadOnlyProgramDir)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root can write everywhere";
    TempDir dir;
    fs::path program = dir.path() / "program";
    fs::create_directory(program);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    fs::path user = dir.path() / "user";
    EXPECT_EQ(chooseScratchDir(program, user), user);
    fs::permissions(program, fs::perms::owner_all);
}

TEST(ScratchFiles, DeletedInOrderWhereTheyExist)
{
    TempDir dir;
    for (const char* name : {scratch::Marker, scratch::Source, scratch::Listing, scratch::Errors})
        writeFile(dir.path() / name, "old");
    writeFile(dir.path() / "other.txt", "keep");
    std::string error;
    ASSERT_TRUE(deleteScratchFiles(dir.path(), error)) << error;
    for (const char* name : {scratch::Marker, scratch::Source, scratch::Listing, scratch::Errors, scratch::MachineCode})
        EXPECT_FALSE(fs::exists(dir.path() / name)) << name;
    EXPECT_TRUE(fs::exists(dir.path() / "other.txt"));
}

TEST(ScratchFiles, CopySourceAndMissingSource)
{
    TempDir dir;
    writeFile(dir.path() / "prog.asm", " NOP\n");
    std::string error;
    ASSERT_TRUE(copySourceToScratch(dir.path() / "prog.asm", dir.path(), error));
    EXPECT_EQ(readFile(dir.path() / scratch::Source), " NOP\n");
    EXPECT_FALSE(copySourceToScratch(dir.path() / "gone.asm", dir.path(), error));
    EXPECT_FALSE(error.empty());
}

TEST(Marker, WaitEndsWhenItAppearsOrTimesOut)
{
    TempDir dir;
    using namespace std::chrono_literals;
    EXPECT_FALSE(waitForMarker(dir.path(), 30ms, 5ms));
    std::thread late([&] {
        std::this_thread::sleep_for(40ms);
        writeFile(dir.path() / scratch::Marker, "");
    });
    bool seen = waitForMarker(dir.path(), 5s, 5ms);
    late.join();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(removeMarker(dir.path(), 1s, 5ms));
    EXPECT_FALSE(fs::exists(dir.path() / scratch::Marker));
    EXPECT_TRUE(removeMarker(dir.path(), 1s, 5ms)) << "no marker: nothing to remove";
}

// A script stand-in: writes the result files it is given into the working
// directory, then the marker (unless told not to), from a thread after a
// short delay, as a separate process would.
struct FakeRunner : CommandRunner {
    std::map<std::string, std::string> results;
    bool writeMarker = true;
    bool failStart = false;
    int starts = 0;
    fs::path lastScript, lastWorkDir, lastProgramDir;
    std::string seenSource;
    std::thread worker;

    ~FakeRunner() override
    {
        if (worker.joinable())
            worker.join();
    }
    bool start(const fs::path& script, const fs::path& workDir, const fs::path& programDir,
               std::string& error) override
    {
        ++starts;
        lastScript = script;
        lastWorkDir = workDir;
        lastProgramDir = programDir;
        if (failStart) {
            error = "No such file or directory";
            return false;
        }
        seenSource = readFile(workDir / scratch::Source);
        worker = std::thread([this, workDir] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            for (auto& [name, text] : results)
                writeFile(workDir / name, text);
            if (writeMarker)
                writeFile(workDir / scratch::Marker, "");
        });
        return true;
    }
};

struct Fixture {
    TempDir program;
    TempDir source;
    AssembleRequest request;
    Fixture()
    {
        writeFile(program.path() / "as11", "");
        writeFile(program.path() / "asm.sh", "");
        writeFile(source.path() / "prog.asm", "START NOP\n");
        request.sourceDir = source.path();
        request.targetTitle = "prog.asm";
        request.tools.programDir = program.path();
        request.markerTimeout = std::chrono::seconds(10);
        request.poll = std::chrono::milliseconds(5);
    }
};

TEST(FileAssemble, MovesResultsBesideTheSourceAndRemovesStaleOnes)
{
    Fixture s;
    writeFile(s.source.path() / "prog.lst", "stale listing");
    writeFile(s.source.path() / "prog.err", "stale errors");
    writeFile(s.source.path() / "prog.s19", "stale code");
    writeFile(s.program.path() / scratch::Marker, "left over from a crashed run");
    FakeRunner runner;
    runner.results = {{scratch::Listing, "new listing"}, {scratch::MachineCode, "S9030000FC\n"}};

    AssembleOutcome out = FileAssemble(s.request, runner);
    ASSERT_EQ(out.status, AssembleStatus::Done) << out.message;
    EXPECT_EQ(runner.starts, 1);
    EXPECT_EQ(runner.lastScript, s.program.path() / "asm.sh");
    EXPECT_EQ(runner.lastWorkDir, s.program.path()) << "a writable program directory is the scratch directory";
    EXPECT_EQ(runner.seenSource, "START NOP\n") << "the file on disk is copied to the scratch name";

    EXPECT_EQ(readFile(s.source.path() / "prog.lst"), "new listing");
    EXPECT_EQ(readFile(s.source.path() / "prog.s19"), "S9030000FC\n");
    EXPECT_FALSE(fs::exists(s.source.path() / "prog.err")) << "the stale error listing is gone";
    EXPECT_TRUE(out.results.listing);
    EXPECT_TRUE(out.results.machineCode);
    EXPECT_FALSE(out.results.errors);
    EXPECT_EQ(out.listingPath, s.source.path() / "prog.lst");
    EXPECT_TRUE(out.errorPath.empty());
    EXPECT_TRUE(out.errorSourcePath.empty());

    EXPECT_FALSE(fs::exists(s.program.path() / scratch::Marker));
    EXPECT_FALSE(fs::exists(s.program.path() / scratch::Listing));
    EXPECT_FALSE(fs::exists(s.program.path() / scratch::MachineCode));
}

TEST(FileAssemble, ErrorListingSetsTheErrorSource)
{
    Fixture s;
    s.request.targetTitle = "a.b.asm";
    writeFile(s.source.path() / "a.b.asm", "BOGUS\n");
    FakeRunner runner;
    runner.results = {{scratch::Errors, "1: unknown mnemonic\n"}};
    AssembleOutcome out = FileAssemble(s.request, runner);
    ASSERT_EQ(out.status, AssembleStatus::Done);
    EXPECT_TRUE(out.results.errors);
    EXPECT_FALSE(out.results.listing);
    EXPECT_EQ(out.errorPath, s.source.path() / "a.b.err");
    EXPECT_EQ(readFile(out.errorPath), "1: unknown mnemonic\n");
    EXPECT_EQ(out.errorSourceTitle, "a.b.asm");
    EXPECT_EQ(out.errorSourcePath, (s.source.path() / "a.b.asm").string());
}

TEST(FileAssemble, NoResultsStillLeavesNoStaleFiles)
{
    Fixture s;
    writeFile(s.source.path() / "prog.lst", "stale");
    writeFile(s.source.path() / "prog.s19", "stale");
    FakeRunner runner;
    AssembleOutcome out = FileAssemble(s.request, runner);
    ASSERT_EQ(out.status, AssembleStatus::Done);
    EXPECT_FALSE(fs::exists(s.source.path() / "prog.lst"));
    EXPECT_FALSE(fs::exists(s.source.path() / "prog.s19"));
    EXPECT_TRUE(out.listingPath.empty());
}

TEST(FileAssemble, MissingToolsStartNothing)
{
    Fixture s;
    fs::remove(s.program.path() / "asm.sh");
    FakeRunner runner;
    AssembleOutcome out = FileAssemble(s.request, runner);
    EXPECT_EQ(out.status, AssembleStatus::MissingTool);
    EXPECT_EQ(out.message, "Can't Find asm.sh !");
    EXPECT_EQ(runner.starts, 0);
    EXPECT_FALSE(fs::exists(s.program.path() / scratch::Source)) << "nothing is copied";
}

TEST(FileAssemble, MissingSourceAndFailedStart)
{
    Fixture s;
    s.request.targetTitle = "gone.asm";
    FakeRunner runner;
    AssembleOutcome out = FileAssemble(s.request, runner);
    EXPECT_EQ(out.status, AssembleStatus::Failed);
    EXPECT_EQ(runner.starts, 0);
    EXPECT_EQ(out.message.substr(out.message.size() - 2), " !");

    Fixture t;
    FakeRunner failing;
    failing.failStart = true;
    out = FileAssemble(t.request, failing);
    EXPECT_EQ(out.status, AssembleStatus::StartFailed);
    EXPECT_EQ(out.message, "No such file or directory !");
}

TEST(FileAssemble, SourcesThatWouldBeLostAreRefused)
{
    struct Case {
        const char* title;
        bool inProgramDir;
    } cases[] = {
        {"prog.lst", false}, {"prog.err", false}, {"prog.s19", false}, {"Temp$$$.asm", true}, {"Temp$$$.txt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Fixture s;
        fs::path dir = c.inProgramDir ? s.program.path() : s.source.path();
        s.request.sourceDir = dir;
        s.request.targetTitle = c.title;
        writeFile(dir / c.title, "precious source\n");
        FakeRunner runner;
        runner.results = {{scratch::Listing, "L"}};
        AssembleOutcome out = FileAssemble(s.request, runner);
        EXPECT_EQ(out.status, AssembleStatus::Refused);
        EXPECT_EQ(out.message, std::string("Can't Assemble ") + c.title + " (Same Name As Its Results) !");
        EXPECT_EQ(runner.starts, 0);
        EXPECT_EQ(readFile(dir / c.title), "precious source\n");
    }
    // The same titles elsewhere are ordinary sources.
    Fixture s;
    s.request.targetTitle = "Temp$$$.asm";
    writeFile(s.source.path() / "Temp$$$.asm", "fine\n");
    FakeRunner runner;
    EXPECT_EQ(FileAssemble(s.request, runner).status, AssembleStatus::Done);
    EXPECT_EQ(runner.seenSource, "fine\n");
}

TEST(FileAssemble, ScriptThatNeverFinishesTimesOut)
{
    Fixture s;
    writeFile(s.source.path() / "prog.lst", "previous listing");
    s.request.markerTimeout = std::chrono::milliseconds(100);
    FakeRunner runner;
    runner.writeMarker = false;
    runner.results = {{scratch::Listing, "half-written"}};
    AssembleOutcome out = FileAssemble(s.request, runner);
    EXPECT_EQ(out.status, AssembleStatus::TimedOut);
    EXPECT_EQ(out.message, "Assembler Did Not Finish !");
    EXPECT_EQ(readFile(s.source.path() / "prog.lst"), "previous listing") << "nothing is moved without the marker";
}

TEST(FileAssemble, ExplicitScratchDirIsUsedForTheContract)
{
    Fixture s;
    TempDir scratchDir;
    s.request.scratchDir = scratchDir.path();
    FakeRunner runner;
    runner.results = {{scratch::Listing, "L"}};
    AssembleOutcome out = FileAssemble(s.request, runner);
    ASSERT_EQ(out.status, AssembleStatus::Done);
    EXPECT_EQ(runner.lastWorkDir, scratchDir.path());
    EXPECT_EQ(runner.lastProgramDir, s.program.path());
    EXPECT_EQ(runner.lastScript, s.program.path() / "asm.sh");
    EXPECT_EQ(readFile(s.source.path() / "prog.lst"), "L");
    EXPECT_FALSE(fs::exists(s.program.path() / scratch::Source)) << "the program directory is left alone";
}

TEST(SpawnRunner, RunsTheScriptInTheScratchDirectory)
{
    TempDir program;
    TempDir work;
    writeFile(program.path() / "asm.sh",
              "printf 'dir=%s\\n' \"$ZELK_PROGRAM_DIR\" > 'Temp$$$.lst'\n"
              ": > 'Temp$$$.$$$'\n");
    SpawnRunner runner;
    std::string error;
    ASSERT_TRUE(runner.start(program.path() / "asm.sh", work.path(), program.path(), error)) << error;
    ASSERT_TRUE(waitForMarker(work.path(), std::chrono::seconds(10), std::chrono::milliseconds(5)));
    EXPECT_TRUE(runner.waitAll(std::chrono::seconds(10)));
    EXPECT_EQ(readFile(work.path() / scratch::Listing), "dir=" + program.path().string() + "\n");
}

TEST(SpawnRunner, StopAllEndsTheScriptAndWhatItLeftRunning)
{
    TempDir program;
    TempDir work;
    // A background child that would write a result into a later run, and a
    // script that never ends.
    writeFile(program.path() / "asm.sh",
              "(sleep 30; echo late > 'Temp$$$.s19') &\n"
              "echo $! > child.pid\n"
              "echo $$ > script.pid\n"
              "exec sleep 30\n");
    SpawnRunner runner;
    std::string error;
    ASSERT_TRUE(runner.start(program.path() / "asm.sh", work.path(), program.path(), error)) << error;
    pid_t child = 0, script = 0;
    for (int i = 0; i < 400 && (child == 0 || script == 0); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        child = pidFromFile((work.path() / "child.pid").string());
        script = pidFromFile((work.path() / "script.pid").string());
    }
    ASSERT_GT(child, 0);
    ASSERT_GT(script, 0);
    ASSERT_TRUE(processRunning(child));
    runner.stopAll();
    EXPECT_FALSE(processRunning(script));
    // The child is no longer ours to reap: give the kill a moment to land.
    for (int i = 0; i < 200 && processRunning(child); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(processRunning(child));
    EXPECT_TRUE(runner.waitAll(std::chrono::milliseconds(0)));
}

} // namespace

namespace {

// Results moved from the scratch folder onto another file system (a copy,
// not a rename): what fits arrives whole, what does not is reported and
// leaves neither a cut-off file beside the source nor a temporary file.
TEST(MoveResults, AcrossFileSystemsWholeOrNotAtAll)
{
    zelk::test::SmallDisk disk("size=64k");
    if (!disk.available())
        GTEST_SKIP() << disk.why();
    TempDir scratch;
    const zelk::AssembleTitles titles = zelk::assembleTitles("prog.asm");
    writeFile(scratch.path() / zelk::scratch::MachineCode, "S9030000FC\n");
    writeFile(scratch.path() / zelk::scratch::Listing, std::string(200 * 1024, 'L'));
    const zelk::MovedResults moved = zelk::moveResults(scratch.path(), disk.dir(), titles);
    EXPECT_TRUE(moved.machineCode);
    EXPECT_FALSE(moved.listing);
    EXPECT_EQ(moved.error, "No space left on device");
    EXPECT_EQ(readFile(disk.dir() / "prog.s19"), "S9030000FC\n");
    EXPECT_FALSE(std::filesystem::exists(disk.dir() / "prog.lst"));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(disk.dir()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"prog.s19"});
    EXPECT_TRUE(std::filesystem::exists(scratch.path() / zelk::scratch::Listing));
}

} // namespace
