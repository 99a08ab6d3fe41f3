// zelk-sim end to end: output through the I/O unit, input from stdin, the
// stop conditions, options, the trace and disassembly formats, bad files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string s1(int address, const std::vector<unsigned>& data)
{
    std::vector<unsigned> b{static_cast<unsigned>(data.size() + 3), static_cast<unsigned>(address >> 8) & 0xFF,
                            static_cast<unsigned>(address) & 0xFF};
    b.insert(b.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (unsigned x : b)
        sum += x;
    b.push_back(~sum & 0xFF);
    std::string line = "S1";
    char hex[3];
    for (unsigned x : b) {
        std::snprintf(hex, sizeof hex, "%02X", x);
        line += hex;
    }
    return line + "\n";
}

// A program at $C000 with the reset vector pointing at it.
std::string program(const std::vector<unsigned>& code)
{
    return "S00600004844521B\n" + s1(0xC000, code) + s1(0xFFFE, {0xC0, 0x00}) + "S9030000FC\n";
}

// LDS #$00FF; LDAA #'A'; loop: STAA $6003; INCA; CMPA #'D'; BNE loop; BRA *
const std::vector<unsigned> abc = {0x8E, 0x00, 0xFF, 0x86, 0x41, 0xB7, 0x60, 0x03, 0x4C,
                                   0x81, 0x44, 0x26, 0xF8, 0x20, 0xFE};
// LDX #$6000; wait: BRCLR 0,X $01 wait; LDAA $6001; STAA $6003; BRA wait
const std::vector<unsigned> echo = {0xCE, 0x60, 0x00, 0x1F, 0x00, 0x01, 0xFC, 0xB6,
                                    0x60, 0x01, 0xB7, 0x60, 0x03, 0x20, 0xF4};

// path in single quotes for the shell.
std::string quoted(const std::string& path)
{
    std::string q(1, '\'');
    q += path;
    q += '\'';
    return q;
}

struct RunResult {
    int status = -1;
    std::string out, err;
};

class RunnerTest : public ::testing::Test {
protected:
    RunnerTest()
    {
        dir = fs::temp_directory_path() / ("zelk_sim_test_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    ~RunnerTest() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& content)
    {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }
    static std::string slurp(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    RunResult run(const std::string& args, const std::string& input = "")
    {
        const std::string in = write("stdin.txt", input);
        const std::string cmd = std::string(ZELK_SIM_PATH) + " " + args + " < '" + in + "' > '" +
                                (dir / "out").string() + "' 2> '" + (dir / "err").string() + "'";
        RunResult r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(dir / "out");
        r.err = slurp(dir / "err");
        return r;
    }

    fs::path dir;
};

TEST_F(RunnerTest, ProgramOutputGoesToStdoutAndTheSummaryToStderr)
{
    const std::string file = write("abc.s19", program(abc));
    const RunResult r = run(quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ABC");
    EXPECT_NE(r.err.find("branch to itself at $C00D"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("PC=C00D A=44 B=00 X=0000 Y=0000 SP=00FF CCR=04  Clock= 00000041"), std::string::npos)
        << r.err;
}

TEST_F(RunnerTest, InputComesFromStdinAndEndsTheRunWhenExhausted)
{
    const std::string file = write("echo.s19", program(echo));
    const RunResult r = run(quoted(file), "hello\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "hello\n");
    EXPECT_NE(r.err.find("branch to itself at $C003"), std::string::npos) << r.err;
}

struct BreakCase {
    const char* address;
};

class RunnerBreakTest : public RunnerTest, public ::testing::WithParamInterface<BreakCase> {};

TEST_P(RunnerBreakTest, StopsAtABreakpointInAnyNotation)
{
    const std::string file = write("abc.s19", program(abc));
    const RunResult r = run("--break " + quoted(GetParam().address) + " " + quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "A");
    EXPECT_NE(r.err.find("breakpoint at $C008"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Notations, RunnerBreakTest,
                         ::testing::Values(BreakCase{"$C008"}, BreakCase{"49160"}, BreakCase{"@140010"},
                                           BreakCase{"%1100000000001000"}, BreakCase{"$c008"}));

TEST_F(RunnerTest, PcOptionOverridesTheResetVector)
{
    const std::string file = write("abc.s19", program(abc));
    const RunResult r = run("--pc '$C005' " + quoted(file));
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.out.size(), 0x44u);  // A counts up from 0 to 'D'
    EXPECT_EQ(r.out[0], '\0');
    EXPECT_EQ(r.out[0x43], 'C');
}

TEST_F(RunnerTest, TraceShowsEachInstructionBeforeItRuns)
{
    const std::string file = write("abc.s19", program(abc));
    const RunResult r = run("--trace --max-steps 5 " + quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "A");
    std::istringstream lines(r.err);
    std::vector<std::string> trace;
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 4 && line[4] == ' ' && line.rfind("zelk-sim", 0) != 0 && line.rfind("PC=", 0) != 0)
            trace.push_back(line);
    ASSERT_EQ(trace.size(), 5u) << r.err;
    EXPECT_EQ(trace[0], "C000  A=00 B=00 X=0000 Y=0000 SP=0000 CCR=00  LDS   #$00FF");
    EXPECT_EQ(trace[1], "C003  A=00 B=00 X=0000 Y=0000 SP=00FF CCR=00  LDAA  #$41");
    EXPECT_EQ(trace[4], "C009  A=42 B=00 X=0000 Y=0000 SP=00FF CCR=00  CMPA  #$44");
    EXPECT_NE(r.err.find("step limit reached at $C00B"), std::string::npos) << r.err;
}

TEST_F(RunnerTest, DisasmPrintsTheDecodersViewInsteadOfRunning)
{
    const std::string file = write("abc.s19", program(abc));
    const RunResult r = run("--disasm '$C000-$C00D' " + quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "C000\t8E 00 FF\t3\tLDS   #$00FF\n"
              "C003\t86 41\t2\tLDAA  #$41\n"
              "C005\tB7 60 03\t3\tSTAA  $6003\n"
              "C008\t4C\t1\tINCA\n"
              "C009\t81 44\t2\tCMPA  #$44\n"
              "C00B\t26 F8\t2\tBNE   $C005\n"
              "C00D\t20 FE\t2\tBRA   $C00D\n");
}

TEST_F(RunnerTest, WaiEndsTheRun)
{
    const std::string file = write("wai.s19", program({0x01, 0x3E}));
    const RunResult r = run(quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("WAI or STOP at $C001"), std::string::npos) << r.err;
}

TEST_F(RunnerTest, StepBoundTakesLargeDecimalCounts)
{
    const std::string file = write("spin.s19", program({0x01, 0x20, 0xFD}));  // NOP; BRA back
    const RunResult r = run("--max-steps 100001 " + quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("step limit reached at $C001"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Clock= 00250002"), std::string::npos) << r.err;
}

TEST_F(RunnerTest, MissingFileFails)
{
    const RunResult r = run(quoted((dir / "missing.s19").string()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Tarvine - Read Error: No such file or directory !"), std::string::npos) << r.err;
}

TEST_F(RunnerTest, FileWithoutRecordsFails)
{
    for (const char* content : {"", "S9030000FC\n", "S1130000285F245F2212226A000424290008237C2B\n"}) {
        const std::string file = write("empty.s19", content);
        const RunResult r = run(quoted(file));
        EXPECT_EQ(r.status, 1) << content;
        EXPECT_NE(r.err.find("no valid S1 record"), std::string::npos) << r.err;
    }
}

TEST_F(RunnerTest, BadUsageFails)
{
    const std::string file = write("abc.s19", program(abc));
    const std::vector<std::string> cases = {"--break xyz " + quoted(file), "--break", "",
                                            "--frobnicate " + quoted(file), "--disasm '$C010-$C000' " + quoted(file),
                                            "--max-steps 0 " + quoted(file)};
    for (const std::string& args : cases) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("zelk-sim"), std::string::npos) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST_F(RunnerTest, CrOnlyFileRunsCompletely)
{
    std::string text = program(abc);
    for (char& c : text)
        if (c == '\n')
            c = '\r';
    const std::string file = write("abc.s19", text);
    const RunResult r = run(quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ABC");
    EXPECT_EQ(r.err.find("skipped"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
}

// Without a record at $FFFE-$FFFF the program would start at $FFFF (the
// erased vector): a warning says so unless --pc gives the start.
struct VectorWarningCase {
    const char* name;
    bool withVector;
    const char* options;
    bool warns;
};

class RunnerVectorTest : public RunnerTest, public ::testing::WithParamInterface<VectorWarningCase> {};

TEST_P(RunnerVectorTest, WarnsOnlyWithoutVectorAndPc)
{
    const VectorWarningCase& c = GetParam();
    const std::string text = c.withVector ? program(abc) : s1(0xC000, abc);
    const std::string file = write("abc.s19", text);
    const RunResult r = run(std::string(c.options) + " --max-steps 1000 " + quoted(file));
    EXPECT_EQ(r.status, 0) << r.err;
    const size_t warning = r.err.find("zelk-sim: warning: ");
    EXPECT_EQ(warning != std::string::npos, c.warns) << r.err;
    if (c.warns) {
        EXPECT_NE(r.err.find("reset vector $FFFE-$FFFF", warning), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--pc", warning), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("starting at $FFFF", warning), std::string::npos) << r.err;
    } else {
        EXPECT_EQ(r.out, "ABC");
    }
}

INSTANTIATE_TEST_SUITE_P(Vector, RunnerVectorTest, ::testing::Values(
    VectorWarningCase{"NoVectorNoPc", false, "", true},
    VectorWarningCase{"NoVectorWithPc", false, "--pc '$C000'", false},
    VectorWarningCase{"VectorNoPc", true, "", false},
    VectorWarningCase{"VectorWithPc", true, "--pc '$C000'", false}),
    [](const ::testing::TestParamInfo<VectorWarningCase>& info) { return std::string(info.param.name); });

// --help tells everything a user needs: every option the runner accepts,
// how numbers are written, the exit statuses, and an example that works.
TEST_F(RunnerTest, HelpDescribesEveryOptionNotationStatusAndAWorkingExample)
{
    const RunResult r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::string& help = r.out;

    // The options named in the help, each accepted by the parser.
    std::vector<std::string> options;
    std::istringstream lines(help);
    bool inOptions = false;
    std::string example;
    bool inExample = false;
    for (std::string line; std::getline(lines, line);) {
        if (line == "Options:") {
            inOptions = true;
            continue;
        }
        if (line == "Example:") {
            inExample = true;
            continue;
        }
        if (inExample && example.empty() && line.rfind("  zelk-sim ", 0) == 0)
            example = line.substr(2);
        if (line.empty())
            inOptions = false;
        if (inOptions && line.rfind("  -", 0) == 0) {
            std::istringstream words(line);
            for (std::string w; words >> w && w[0] == '-';) {
                if (w.back() == ',')
                    w.pop_back();
                options.push_back(w);
            }
        }
    }
    for (const char* expected : {"--max-steps", "--break", "--pc", "--trace", "--disasm", "--help", "-h"})
        EXPECT_NE(std::find(options.begin(), options.end(), expected), options.end()) << expected << "\n" << help;
    for (const std::string& option : options) {
        const RunResult o = run(option);
        EXPECT_EQ(o.err.find("unknown option"), std::string::npos) << option << ": " << o.err;
    }
    // An option the parser knows but the help leaves out would fail here.
    const RunResult unknown = run("--no-such-option");
    EXPECT_NE(unknown.err.find("unknown option"), std::string::npos) << unknown.err;

    for (const char* notation : {"$C000", "%1100000000000000", "@140000", "49152", "--pc '$8000'", "decimal"})
        EXPECT_NE(help.find(notation), std::string::npos) << notation;
    for (const char* status : {"Exit status:", "  0  ", "  1  ", "  2  ", "  3  "})
        EXPECT_NE(help.find(status), std::string::npos) << status;

    // The example runs as written on a program of that name.
    ASSERT_FALSE(example.empty()) << help;
    const std::string programName = "prog.s19";
    ASSERT_NE(example.find(programName), std::string::npos) << example;
    const std::vector<unsigned> atE000 = abc;
    write(programName, s1(0xE000, atE000) + s1(0xFFFE, {0xE0, 0x00}));
    write("input.txt", "");
    const std::string cmd = "cd '" + dir.string() + "' && PATH='" +
                            fs::path(ZELK_SIM_PATH).parent_path().string() + "':\"$PATH\" " + example +
                            " > example.out 2> example.err";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << slurp(dir / "example.err");
    EXPECT_EQ(slurp(dir / "example.out"), "ABC");
}

TEST_F(RunnerTest, BadUsagePointsToHelp)
{
    const RunResult r = run("--frobnicate");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: zelk-sim"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
}

} // namespace

#ifdef AS11_PATH
namespace {

// Assembles source with as11 into dir; returns the S-record file's path.
std::string assemble(const fs::path& dir, const std::string& name, const std::string& source)
{
    const fs::path asmFile = dir / (name + ".asm");
    std::ofstream(asmFile, std::ios::binary) << source;
    const std::string cmd = std::string(AS11_PATH) + " -q " + quoted(asmFile.string());
    EXPECT_EQ(std::system(cmd.c_str()), 0) << name;
    return (dir / (name + ".s19")).string();
}

TEST_F(RunnerTest, AssembledProgramPrintsThroughTheIoUnit)
{
    const std::string file = assemble(dir, "hello",
                                      "IOOUT   EQU     $6003\n"
                                      "        ORG     $E000\n"
                                      "START   LDS     #$00FF\n"
                                      "        LDX     #TEXT\n"
                                      "LOOP    LDAA    0,X\n"
                                      "        BEQ     DONE\n"
                                      "        BSR     PUT\n"
                                      "        INX\n"
                                      "        BRA     LOOP\n"
                                      "DONE    BRA     DONE\n"
                                      "PUT     STAA    IOOUT\n"
                                      "        RTS\n"
                                      "TEXT    FCC     'HELLO'\n"
                                      "        FCB     0\n"
                                      "        ORG     $FFFE\n"
                                      "        FDB     START\n");
    const RunResult r = run(quoted(file));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "HELLO");
    EXPECT_NE(r.err.find("branch to itself"), std::string::npos) << r.err;
}

TEST_F(RunnerTest, EveryExampleAssemblesAndRuns)
{
    int examples = 0;
    for (const auto& entry : fs::directory_iterator(EXAMPLES_DIR)) {
        if (entry.path().extension() != ".asm")
            continue;
        ++examples;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream source;
        source << in.rdbuf();
        const std::string name = entry.path().stem().string();
        const std::string file = assemble(dir, name, source.str());
        const RunResult r = run("--max-steps 200000 " + quoted(file), "A");
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_NE(r.err.find("PC="), std::string::npos) << name << ": " << r.err;
        EXPECT_EQ(r.err.find("could not be predicted"), std::string::npos) << name << ": " << r.err;
    }
    EXPECT_GT(examples, 0);
}

// The peripheral examples run headless with the output the user sees in
// the IDE: the LEDs' bytes, the SCI's characters.
TEST_F(RunnerTest, PeripheralExamplesGiveTheirOutput)
{
    struct Case {
        const char* example;
        const char* options;
        const char* input;
        std::string out;
        const char* stop;
        uint32_t minClock;  // E cycles the program must take at least
    } cases[] = {
        {"timer_blink", "", "", std::string("\xFF\x00\xFF\x00\xFF\x00\xFF\x00", 8), "branch to itself", 8 * 20000},
        {"adc_read", "--analog 0='$12' --analog 1=52 --analog 3=255 ", "", "12 34 00 FF\r\n", "branch to itself",
         13 * 2080},
        {"sci_echo", "", "hi!", "HC11 echo ready\r\nHI!", "branch to itself", 16 * 2080},
        // The receive interrupt echoes; once the input has ended nothing can
        // wake the WAI any more.
        {"sci_irq", "", "hi!", "HC11 interrupt echo ready\r\nHI!", "WAI or STOP", 26 * 2080},
        {"sci_irq", "", "", "HC11 interrupt echo ready\r\n", "WAI or STOP", 23 * 2080},
        {"timer_blink", "--no-peripherals ", "", "", "WAI or STOP", 0},
    };
    for (const Case& c : cases) {
        std::ifstream in(fs::path(EXAMPLES_DIR) / (std::string(c.example) + ".asm"), std::ios::binary);
        std::ostringstream source;
        source << in.rdbuf();
        const std::string file = assemble(dir, c.example, source.str());
        const RunResult r = run(std::string(c.options) + quoted(file), c.input);
        EXPECT_EQ(r.status, 0) << c.example << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.example;
        EXPECT_NE(r.err.find(c.stop), std::string::npos) << c.example << ": " << r.err;
        const size_t at = r.err.find("Clock= ");
        ASSERT_NE(at, std::string::npos) << r.err;
        EXPECT_GE(std::stoul(r.err.substr(at + 7, 8)), c.minClock) << c.example;
    }
}

#endif

// Interrupts headless: a timer overflow routine prints a character per
// overflow; the main program waits in WAI for five of them.
TEST_F(RunnerTest, InterruptDrivenProgramRunsHeadless)
{
    const std::vector<unsigned> main = {
        0x8E, 0x00, 0xFF,        // C000 LDS #$00FF
        0x86, 0x05, 0x97, 0x10,  // LDAA #5; STAA $10
        0x86, 0x80, 0xB7, 0x10, 0x24,  // LDAA #$80; STAA TMSK2 (TOI)
        0x0E,                    // CLI
        0x3E,                    // C00D WAI
        0x7D, 0x00, 0x10,        // TST $10
        0x26, 0xFA,              // BNE C00D
        0x0F, 0x20, 0xFE,        // SEI; BRA *
    };
    const std::vector<unsigned> routine = {
        0x86, 0x2A, 0xB7, 0x60, 0x03,  // D000 LDAA #'*'; STAA $6003
        0x86, 0x80, 0xB7, 0x10, 0x25,  // LDAA #$80; STAA TFLG2
        0x7A, 0x00, 0x10,              // DEC $10
        0x3B,                          // RTI
    };
    const std::string image = "S00600004844521B\n" + s1(0xC000, main) + s1(0xD000, routine) +
                              s1(0xFFDE, {0xD0, 0x00}) + s1(0xFFFE, {0xC0, 0x00}) + "S9030000FC\n";
    const std::string file = write("tick.s19", image);
    RunResult r = run(quoted(file));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "*****");
    EXPECT_NE(r.err.find("branch to itself at $C014"), std::string::npos) << r.err;
    // Without the peripherals WAI ends the run before any interrupt.
    r = run("--no-peripherals " + quoted(file));
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("WAI or STOP at $C00D"), std::string::npos) << r.err;
}

TEST_F(RunnerTest, SwiTrapsThroughItsVectorUnlessPeripheralsAreOff)
{
    // SWI; the SWI routine prints 'S' and loops.
    const std::string image = "S00600004844521B\n" + s1(0xC000, {0x8E, 0x00, 0xFF, 0x3F, 0x20, 0xFE}) +
                              s1(0xD000, {0x86, 0x53, 0xB7, 0x60, 0x03, 0x20, 0xFE}) + s1(0xFFF6, {0xD0, 0x00}) +
                              s1(0xFFFE, {0xC0, 0x00}) + "S9030000FC\n";
    const std::string file = write("swi.s19", image);
    RunResult r = run(quoted(file));
    EXPECT_EQ(r.out, "S");
    EXPECT_NE(r.err.find("SP=00F6"), std::string::npos) << r.err;
    r = run("--no-peripherals " + quoted(file));
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("branch to itself at $C004"), std::string::npos) << r.err;
}

TEST_F(RunnerTest, BadAnalogValuesAreRefused)
{
    const std::string file = write("abc.s19", program(abc));
    for (const char* bad : {"8=1", "0=256", "x=1", "3", "-1=4"}) {
        const RunResult r = run(std::string("--analog ") + bad + " " + quoted(file));
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--analog"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << "nothing ran";
    }
}

} // namespace
