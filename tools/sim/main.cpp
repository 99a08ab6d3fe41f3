// zelk-sim: runs a 68HC11 program (an S-record file) headless, through the
// same download, access layer and Step Into as the IDE's simulator mode.
//
//   zelk-sim [options] PROGRAM.s19
//     --max-steps N      stop after N instructions (default 10000000)
//     --break ADDR       stop when PC reaches ADDR (repeatable, up to 32)
//     --pc ADDR          start at ADDR instead of the reset vector
//     --trace            one line per instruction on stderr, before it runs
//     --disasm START-END print the decoded instructions from START to END
//                        (tab-separated: address, bytes, length, text)
//                        instead of running
//   ADDR, N, START and END take the IDE's number syntax: 49152, $C000,
//   %1100000000000000, @140000.
//
// The I/O unit: the program's read of $6001 takes the next byte of stdin
// ($6000 is 1 while a byte is pending); its write of $6003 goes to stdout.
// The run stops at a breakpoint, at a branch, jump or call to itself, before
// WAI or STOP (S clear), or at the step bound; the reason, the registers and
// the clock counter then go to stderr, so stdout carries only the program's
// output. Exit status: 0 after a stop, 1 for a file that cannot be read or
// holds no valid S1 record, 2 for bad usage, 3 when the run could not go on.
#include "StreamIoUnit.h"

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

int usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "zelk-sim: %s\n", problem);
    std::fprintf(stderr,
                 "usage: zelk-sim [--max-steps N] [--break ADDR]... [--pc ADDR] [--trace]\n"
                 "                [--disasm START-END] PROGRAM.s19\n");
    return 2;
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
            usage(nullptr);
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

    if (disasmStart >= 0)
        return disassemble(link, disasmStart, disasmEnd);

    StreamIoUnit io(link.simulator(), stdin, stdout);
    link.setIoUnit(&io);
    link.setIoActive(true);
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
    std::fflush(stdout);
    std::fprintf(stderr, "zelk-sim: %s at $%s\n", reasonText(reason), HexPad(link.regs.PC, 4).c_str());
    std::fprintf(stderr, "PC=%s %s  %s\n", HexPad(link.regs.PC, 4).c_str(), registerText(link.regs).c_str(),
                 control.ClockText().c_str());
    return reason == StopReason::Refused ? 3 : 0;
}
