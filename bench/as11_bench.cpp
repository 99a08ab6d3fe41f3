// Speed of as11 on a generated 200 000-line program that uses every
// instruction form of the table, labels and forward references. Reports
// lines per second in-process and for the as11 program (files written), and
// times the GNU 68HC11 assembler on the same program in its own syntax when
// it is installed, printing the ratio.
#include "Assembler.h"
#include "code/InstructionSet.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using zelk::InstructionInfo;
using zelk::OperandFormat;

constexpr int totalLines = 200000;
constexpr int blockLines = 8192;  // a new ORG per block keeps addresses in 64 KB

struct Sources {
    std::string mine, gnu;
};

std::string lower(const char* s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

const Sources& sources()
{
    static const Sources s = [] {
        Sources out;
        auto table = zelk::instructionSet();
        out.mine.reserve(totalLines * 32);
        out.gnu.reserve(totalLines * 32);
        for (int i = 0; i < totalLines; ++i) {
            int inBlock = i % blockLines;
            if (inBlock == 0)
                out.mine += " ORG $2000\n* block " + std::to_string(i / blockLines) + "\n";
            const InstructionInfo& info = table[static_cast<size_t>(i) % table.size()];
            // Labels on even lines; branches go to a labelled line 2-4 lines
            // back (forward at the start of a block); extended operands and
            // 16-bit immediates name labels up to 100 lines ahead.
            int base = i - inBlock;
            int back = (i - 4) & ~1;
            std::string near = "L" + std::to_string(inBlock < 8 ? ((i + 4) & ~1) : back);
            int ahead = std::min(i + 100, std::min(base + blockLines, totalLines) - 1) & ~1;
            std::string far = "L" + std::to_string(ahead);
            std::string m, g;
            switch (info.format) {
            case OperandFormat::Inherent: break;
            case OperandFormat::Immediate8: m = "#$5A"; g = "#0x5a"; break;
            case OperandFormat::Immediate16: m = g = "#" + far; break;
            case OperandFormat::Direct: m = "$45"; g = "*0x45"; break;
            case OperandFormat::Extended: m = g = far; break;
            case OperandFormat::IndexedX: m = "$12,X"; g = "0x12,x"; break;
            case OperandFormat::IndexedY: m = "$12,Y"; g = "0x12,y"; break;
            case OperandFormat::BitDirect: m = "$45 $5A"; g = "*0x45 #0x5a"; break;
            case OperandFormat::BitIndexedX: m = "$12,X,#$5A"; g = "0x12,x #0x5a"; break;
            case OperandFormat::BitIndexedY: m = "$12,Y $5A"; g = "0x12,y #0x5a"; break;
            case OperandFormat::BitBranchDirect: m = "$45,#$5A," + near; g = "*0x45 #0x5a " + near; break;
            case OperandFormat::BitBranchIndexedX: m = "$12,X $5A " + near; g = "0x12,x #0x5a " + near; break;
            case OperandFormat::BitBranchIndexedY: m = "$12,Y,#$5A " + near; g = "0x12,y #0x5a " + near; break;
            case OperandFormat::Relative: m = g = near; break;
            }
            std::string label = (i % 2 == 0) ? "L" + std::to_string(i) : "";
            out.mine += label + "\t" + info.mnemonic + (m.empty() ? "" : "\t" + m) + "\n";
            out.gnu += (label.empty() ? "" : label + ":") + "\t" + lower(info.mnemonic) + " " + g + "\n";
        }
        return out;
    }();
    return s;
}

std::filesystem::path workDir()
{
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("as11-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        std::ofstream(d / "bench.asm") << sources().mine;
        std::ofstream(d / "bench.s") << sources().gnu;
        return d;
    }();
    return dir;
}

const char* gnuAs = "/usr/bin/m68hc11-as";

bool haveGnu() { return std::filesystem::exists(gnuAs); }

double secondsOf(const std::string& command)
{
    auto t0 = std::chrono::steady_clock::now();
    int rc = std::system(command.c_str());
    auto t1 = std::chrono::steady_clock::now();
    if (rc != 0)
        return -1;
    return std::chrono::duration<double>(t1 - t0).count();
}

std::string gnuCommand() { return std::string(gnuAs) + " -o " + (workDir() / "bench.o").string() + " " + (workDir() / "bench.s").string(); }
std::string as11Command()
{
    return std::string(AS11_PROGRAM) + " --quiet " + (workDir() / "bench.asm").string();
}

void BM_As11InProcess(benchmark::State& state)
{
    const std::string& src = sources().mine;
    int64_t lines = 0;
    for (auto _ : state) {
        zelk::as11::AssemblyResult r = zelk::as11::assemble(src);
        if (!r.ok()) {
            state.SkipWithError(("assembly errors: " + r.errorText().substr(0, 200)).c_str());
            break;
        }
        benchmark::DoNotOptimize(r.listing.data());
        lines += r.lineCount;
    }
    state.counters["lines_per_second"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_As11InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_As11Program(benchmark::State& state)
{
    std::string cmd = as11Command();
    for (auto _ : state) {
        if (secondsOf(cmd) < 0) {
            state.SkipWithError("as11 failed");
            break;
        }
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(totalLines) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_As11Program)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GnuAs(benchmark::State& state)
{
    if (!haveGnu()) {
        state.SkipWithError("m68hc11-as not installed");
        return;
    }
    std::string cmd = gnuCommand();
    for (auto _ : state) {
        if (secondsOf(cmd) < 0) {
            state.SkipWithError("m68hc11-as failed");
            break;
        }
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(totalLines) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GnuAs)->Unit(benchmark::kMillisecond)->UseRealTime();

// Best of five interleaved runs of each, so that drift of the machine hits
// both alike.
void printComparison()
{
    if (!haveGnu()) {
        std::printf("m68hc11-as not installed: no comparison\n");
        return;
    }
    double bestMine = 1e9, bestProgram = 1e9, bestGnu = 1e9;
    for (int k = 0; k < 5; ++k) {
        auto t0 = std::chrono::steady_clock::now();
        zelk::as11::AssemblyResult r = zelk::as11::assemble(sources().mine);
        benchmark::DoNotOptimize(r.listing.data());
        bestMine = std::min(bestMine, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        double p = secondsOf(as11Command());
        if (p >= 0)
            bestProgram = std::min(bestProgram, p);
        double g = secondsOf(gnuCommand());
        if (g >= 0)
            bestGnu = std::min(bestGnu, g);
    }
    std::printf("\n%d lines, best of 5:\n", totalLines);
    std::printf("  as11 in-process     %8.1f ms  %10.0f lines/s\n", bestMine * 1e3, totalLines / bestMine);
    std::printf("  as11 program        %8.1f ms  %10.0f lines/s (writes .lst and .s19)\n", bestProgram * 1e3,
                totalLines / bestProgram);
    std::printf("  m68hc11-as          %8.1f ms  %10.0f lines/s (writes .o)\n", bestGnu * 1e3, totalLines / bestGnu);
    std::printf("  speed ratio as11/GNU: in-process %.2fx, program %.2fx\n", bestGnu / bestMine, bestGnu / bestProgram);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    workDir();
    benchmark::RunSpecifiedBenchmarks();
    printComparison();
    benchmark::Shutdown();
    std::filesystem::remove_all(workDir());
    return 0;
}
