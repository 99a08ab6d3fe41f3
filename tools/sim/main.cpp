// zelk-sim: runs a 68HC11 program (an S-record file) headless, through the
// same download, access layer and Step Into as the IDE's simulator mode.
// printHelp() below is the user's description of every option, the number
// notation, the input and output, and the exit statuses; keep it current.
#include "StreamIoUnit.h"
#include "StreamSerial.h"

#include "code/Decoder.h"
#include "link/AccessLayer.h"
#include "link/Conversions.h"
#include "link/SRecordLoader.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace zelk;

namespace {

class StderrNotifier final : public Notifier {
public:
    void message(std::string caption, std::string text, MessageIcon) override
    {
        for (char& c : text)
            if (c == '\r')
                c = ' ';
        std::fprintf(stderr, "zelk-sim: %s: %s\n", caption.c_str(), text.c_str());
    }
};

constexpr const char* usageLine =
    "usage: zelk-sim [--max-steps N] [--break ADDR]... [--pc ADDR] [--trace]\n"
    "                [--no-peripherals] [--analog CH=VALUE]... [--disasm START-END]\n"
    "                PROGRAM.s19\n";

// Bad usage: the problem and the short usage on stderr, exit status 2.
int usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "zelk-sim: %s\n", problem);
    std::fprintf(stderr, "%s(zelk-sim --help explains every option)\n", usageLine);
    return 2;
}

// --help: the whole usage text on stdout.
void printHelp()
{
    std::fputs(usageLine, stdout);
    std::fputs(
        "\n"
        "Runs a 68HC11 program, a Motorola S-record file, without the IDE: the same\n"
        "download, Step Into and input-output unit as the IDE's simulator mode. The\n"
        "program starts at the address in its reset vector ($FFFE-$FFFF) unless\n"
        "--pc is given; without either, a warning says so and it starts at $FFFF.\n"
        "\n"
        "Options:\n"
        "  --max-steps N        stop after N instructions (default 10000000)\n"
        "  --break ADDR         stop when the program counter reaches ADDR; give it\n"
        "                       again for more breakpoints, up to 32\n"
        "  --pc ADDR            start at ADDR instead of the reset vector\n"
        "  --trace              before each instruction, print its address, the\n"
        "                       registers and the instruction on stderr\n"
        "  --no-peripherals     no on-chip peripherals and no interrupts: $1000-$103F\n"
        "                       is plain memory, SWI, WAI and undefined opcodes do\n"
        "                       nothing, as in the IDE with the option off\n"
        "  --analog CH=VALUE    the A/D converter's input CH (0-7, pin PE0-PE7)\n"
        "                       reads VALUE (0-255); give it again for more\n"
        "  --disasm START-END   print the instructions from START to END instead of\n"
        "                       running (address, bytes, length, text; tab-separated)\n"
        "  -h, --help           show this text\n"
        "\n"
        "Numbers (ADDR, N, START, END) are written as in the IDE:\n"
        "  $C000                hexadecimal\n"
        "  %1100000000000000    binary\n"
        "  @140000              octal\n"
        "  49152                decimal: a bare number is decimal, so 8000 is $1F40\n"
        "Quote a \"$\" from the shell: --pc '$8000', not --pc $8000 or --pc 8000.\n"
        "\n"
        "The program's read of $6001 takes the next byte of stdin ($6000 reads 1\n"
        "while one is waiting); its write of $6003 goes to stdout. The on-chip\n"
        "peripherals are simulated (timer, output compares, real-time interrupt,\n"
        "pulse accumulator, SCI, A/D, ports, COP) with their interrupts: what the\n"
        "SCI transmits goes to stdout too, and its receiver takes stdin's bytes,\n"
        "one per character time, each after the program took the one before.\n"
        "The run stops at a breakpoint, at the step limit, at a branch, jump or\n"
        "call to itself, before WAI, or before STOP with the S bit clear; with the\n"
        "peripherals, a branch to itself or a WAI goes on while an enabled\n"
        "interrupt can still come (or the register the branch tests can still\n"
        "change; serial input ends at the end of stdin). The reason, the\n"
        "registers and the clock counter go to stderr.\n"
        "\n"
        "Exit status:\n"
        "  0  the run stopped as above, or --disasm printed\n"
        "  1  the file cannot be read or holds no valid S1 record\n"
        "  2  bad usage\n"
        "  3  the run could not go on (the next address could not be predicted)\n"
        "\n"
        "Example:\n"
        "  zelk-sim --pc '$E000' --break '$E010' --max-steps 1000000 prog.s19 < input.txt\n",
        stdout);
}

// A number in the IDE's syntax that also allows decimal step counts above
// 65535 (for --max-steps).
bool parseCount(const std::string& text, uint64_t& value)
{
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 19) {
        value = std::stoull(text);
        return true;
    }
    const int32_t v = ParseNumber(text, true);
    if (v < 0)
        return false;
    value = static_cast<uint64_t>(v);
    return true;
}

std::string registerText(const CpuRegisters& r)
{
    return "A=" + HexPad(r.A, 2) + " B=" + HexPad(r.B, 2) + " X=" + HexPad(r.IX, 4) + " Y=" + HexPad(r.IY, 4) +
           " SP=" + HexPad(r.SP, 4) + " CCR=" + HexPad(r.CCR, 2);
}

const char* reasonText(StopReason reason)
{
    switch (reason) {
    case StopReason::Breakpoint: return "breakpoint";
    case StopReason::StepBound: return "step limit reached";
    case StopReason::SelfBranch: return "branch to itself";
    case StopReason::Halt: return "WAI or STOP";
    case StopReason::Refused: return "next address could not be predicted";
    case StopReason::Paused: return "stopped";
    case StopReason::DataBreakpoint: return "data breakpoint";
    case StopReason::HistoryStart: return "start of the history";
    case StopReason::None: break;
    }
    return "not run";
}

int disassemble(AccessLayer& link, int32_t start, int32_t end)
{
    CodeWindow w;
    std::string text;
    for (int32_t a = start; a <= end;) {
        link.fillCodeWindow(w, a);
        int32_t address = a;
        int16_t length = 1;
        DisassembleOne(w, address, length, text);
        std::string bytes;
        for (int k = 0; k < length; ++k) {
            if (k)
                bytes += ' ';
            bytes += HexPad(w.at(a + k), 2);
        }
        std::printf("%s\t%s\t%d\t%s\n", HexPad(a, 4).c_str(), bytes.c_str(), length, text.c_str());
        a += length;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    uint64_t maxSteps = 10'000'000;
    std::vector<int32_t> breaks;
    int32_t startPC = -1;
    bool trace = false;
    bool peripherals = true;
    std::vector<std::pair<int, int>> analog;
    int32_t disasmStart = -1, disasmEnd = -1;
    std::string program;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zelk-sim: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        auto address = [&](const char* name, int32_t& out) -> bool {
            const char* v = value(name);
            if (!v)
                return false;
            out = ParseNumber(v, true);
            if (out < 0) {
                std::fprintf(stderr, "zelk-sim: %s: not an address: %s\n", name, v);
                return false;
            }
            return true;
        };
        if (arg == "--max-steps") {
            const char* v = value("--max-steps");
            if (!v)
                return usage(nullptr);
            if (!parseCount(v, maxSteps) || maxSteps == 0)
                return usage("--max-steps: not a positive number");
        } else if (arg == "--break") {
            int32_t a;
            if (!address("--break", a))
                return usage(nullptr);
            breaks.push_back(a);
        } else if (arg == "--pc") {
            if (!address("--pc", startPC))
                return usage(nullptr);
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg == "--no-peripherals") {
            peripherals = false;
        } else if (arg == "--analog") {
            const char* v = value("--analog");
            if (!v)
                return usage(nullptr);
            const std::string pair = v;
            const size_t eq = pair.find('=');
            const int32_t channel = eq == std::string::npos ? -1 : ParseNumber(pair.substr(0, eq), false);
            const int32_t level = eq == std::string::npos ? -1 : ParseNumber(pair.substr(eq + 1), false);
            if (channel < 0 || channel > 7 || level < 0 || level > 255)
                return usage("--analog: expected CH=VALUE with CH 0-7 and VALUE 0-255");
            analog.emplace_back(channel, level);
        } else if (arg == "--disasm") {
            const char* v = value("--disasm");
            if (!v)
                return usage(nullptr);
            const std::string range = v;
            const size_t dash = range.find('-');
            if (dash == std::string::npos)
                return usage("--disasm: expected START-END");
            disasmStart = ParseNumber(range.substr(0, dash), true);
            disasmEnd = ParseNumber(range.substr(dash + 1), true);
            if (disasmStart < 0 || disasmEnd < 0 || disasmEnd < disasmStart)
                return usage("--disasm: expected START-END with START <= END");
        } else if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else if (program.empty()) {
            program = arg;
        } else {
            return usage("only one program file");
        }
    }
    if (program.empty())
        return usage("no program file");
    if (breaks.size() > BreakpointTable::Capacity)
        return usage("at most 32 breakpoints");

    StderrNotifier notifier;
    AccessLayer link(&notifier);
    link.setMode(TargetMode::Simulator);

    const DownloadResult loaded = DownloadFile(link, program);
    if (!loaded.opened)
        return 1;
    if (loaded.records == 0) {
        std::fprintf(stderr, "zelk-sim: %s: no valid S1 record\n", program.c_str());
        return 1;
    }
    if (loaded.skipped)
        std::fprintf(stderr, "zelk-sim: %s: %d bad S1 record(s) skipped\n", program.c_str(), loaded.skipped);
    if (!loaded.resetVector && startPC < 0 && disasmStart < 0)
        std::fprintf(stderr,
                     "zelk-sim: warning: %s: no record covers the reset vector $FFFE-$FFFF and no --pc "
                     "was given; starting at $%s\n",
                     program.c_str(), HexPad(link.regs.PC, 4).c_str());

    if (disasmStart >= 0)
        return disassemble(link, disasmStart, disasmEnd);

    StreamIoUnit io(link.simulator(), stdin, stdout);
    link.setIoUnit(&io);
    link.setIoActive(true);
    // Unbuffered input: the serial line looks at the descriptor to see
    // whether a byte is there, so nothing may wait in a buffer instead.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    StreamSerial serial(stdin, stdout);
    if (peripherals) {
        link.simulator().setPeripherals(true);
        link.simulator().chip().setHost(&serial);
        for (const auto& [channel, level] : analog)
            link.simulator().chip().setAnalog(channel, static_cast<uint8_t>(level));
    } else if (!analog.empty()) {
        std::fprintf(stderr, "zelk-sim: warning: --analog has no effect with --no-peripherals\n");
    }
    link.InCPU();
    if (startPC >= 0)
        link.regs.PC = startPC;

    BreakpointTable breakpoints;
    for (int32_t a : breaks)
        breakpoints.append(a);
    ExecutionControl control(link, breakpoints);

    RunOptions options;
    options.maxSteps = maxSteps;
    options.stopOnSelfBranch = true;
    options.stopOnHalt = true;
    options.eventEveryMs = 0;
    options.eventEverySteps = UINT32_MAX;
    std::string text;
    if (trace) {
        options.beforeStep = [&] {
            const int32_t pc = link.regs.PC;
            const CodeWindow& w = control.codeAt(pc);
            int32_t address = pc;
            int16_t length = 1;
            DisassembleOne(w, address, length, text);
            std::fprintf(stderr, "%s  %s  %s\n", HexPad(pc, 4).c_str(), registerText(link.regs).c_str(),
                         text.c_str());
        };
    }

    const StopReason reason = control.Play(options);
    // A character the program wrote but the transmitter had not started.
    for (uint8_t byte; link.simulator().chip().takeUnsentByte(byte);)
        std::fputc(byte, stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "zelk-sim: %s at $%s\n", reasonText(reason), HexPad(link.regs.PC, 4).c_str());
    std::fprintf(stderr, "PC=%s %s  %s\n", HexPad(link.regs.PC, 4).c_str(), registerText(link.regs).c_str(),
                 control.ClockText().c_str());
    return reason == StopReason::Refused ? 3 : 0;
}
