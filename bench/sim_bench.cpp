// The speed of the whole run path on one loop-heavy program (loop100m.asm):
//  - zelk-sim as a user runs it, a separate process bounded by --max-steps
//    100000000: instructions per second from the wall time of each run;
//  - Step Into through the IDE core in this process (the same download and
//    ExecutionControl::StepInto the IDE uses, no views): instructions per
//    second from wall time;
//  - with valgrind installed, callgrind's count of x86 instructions per
//    68HC11 instruction for both: each is run for two step counts and the
//    difference is divided by the difference of the counts, so start-up and
//    download cancel out. Unlike wall time this does not drift with the
//    load of the machine.
//
//   sim_bench [--runs N] [--steps N] [--no-callgrind]
//   sim_bench --step-into N     (internal: N Step Into calls, for callgrind)
#include "link/AccessLayer.h"
#include "link/SRecordLoader.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

using Clock = std::chrono::steady_clock;

namespace {

struct Run {
    int status = -1;
    double seconds = 0;
    std::string err;
};

// Runs argv with stdin from /dev/null and stdout discarded; stderr goes to
// errPath and is returned.
Run runProcess(const std::vector<std::string>& args, const std::string& errPath)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Run r;
    pid_t pid = 0;
    const auto t0 = Clock::now();
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int raw = 0;
        waitpid(pid, &raw, 0);
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    posix_spawn_file_actions_destroy(&actions);
    std::ifstream in(errPath);
    std::ostringstream s;
    s << in.rdbuf();
    r.err = s.str();
    return r;
}

bool haveValgrind()
{
    return std::system("valgrind --version >/dev/null 2>&1") == 0;
}

// Instructions callgrind counted for one run of args (-1 when it failed).
double callgrindCount(std::vector<std::string> args, const std::string& errPath)
{
    args.insert(args.begin(), {"valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"});
    const Run r = runProcess(args, errPath);
    const size_t at = r.err.find("Collected : ");
    if (r.status != 0 || at == std::string::npos)
        return -1;
    return std::strtod(r.err.c_str() + at + 12, nullptr);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Step Into n times over the program, as the IDE's command does. Returns
// false when the download failed or a step was refused.
bool stepInto(uint64_t n, double* seconds)
{
    zelk::AccessLayer link;
    link.setMode(zelk::TargetMode::Simulator);
    if (!zelk::DownloadFile(link, LOOP_S19).downloadOK)
        return false;
    zelk::BreakpointTable breakpoints;
    zelk::ExecutionControl control(link, breakpoints);
    const auto t0 = Clock::now();
    for (uint64_t i = 0; i < n; ++i)
        if (!control.StepInto())
            return false;
    if (seconds)
        *seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    uint64_t steps = 100'000'000;
    bool callgrind = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--step-into" && i + 1 < argc)
            return stepInto(std::strtoull(argv[i + 1], nullptr, 10), nullptr) ? 0 : 1;
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--steps" && i + 1 < argc)
            steps = std::max<uint64_t>(1000, std::strtoull(argv[++i], nullptr, 10));
        else if (a == "--no-callgrind")
            callgrind = false;
        else {
            std::fprintf(stderr, "usage: sim_bench [--runs N] [--steps N] [--no-callgrind]\n");
            return 2;
        }
    }
    char errTemplate[] = "/tmp/sim_bench_XXXXXX";
    const int fd = mkstemp(errTemplate);
    if (fd < 0)
        return 1;
    close(fd);
    const std::string errPath = errTemplate;
    const std::string stepsText = std::to_string(steps);

    std::printf("program: %s, %llu instructions per run\n", LOOP_S19, static_cast<unsigned long long>(steps));
    std::vector<double> simRates, stepRates;
    for (int i = 0; i < runs; ++i) {
        // Interleaved: one process run, then one in-process run, so both see
        // the same state of the machine.
        const Run r = runProcess({ZELK_SIM_PATH, "--max-steps", stepsText, LOOP_S19}, errPath);
        if (r.status != 0 || r.err.find("step limit reached") == std::string::npos) {
            std::fprintf(stderr, "zelk-sim failed (status %d):\n%s", r.status, r.err.c_str());
            return 1;
        }
        simRates.push_back(steps / r.seconds / 1e6);
        double s = 0;
        if (!stepInto(steps, &s)) {
            std::fprintf(stderr, "Step Into failed\n");
            return 1;
        }
        stepRates.push_back(steps / s / 1e6);
        std::printf("run %d: zelk-sim %.1f M instructions/s (%.2f s), Step Into %.1f M/s (%.2f s)\n", i + 1,
                    simRates.back(), r.seconds, stepRates.back(), s);
        std::fflush(stdout);
    }
    std::printf("zelk-sim:  best %.1f, median %.1f M instructions/s\n",
                *std::max_element(simRates.begin(), simRates.end()), median(simRates));
    std::printf("Step Into: best %.1f, median %.1f M instructions/s\n",
                *std::max_element(stepRates.begin(), stepRates.end()), median(stepRates));

    if (callgrind && haveValgrind()) {
        constexpr uint64_t few = 1'000'000, many = 3'000'000;
        const double simFew = callgrindCount({ZELK_SIM_PATH, "--max-steps", std::to_string(few), LOOP_S19}, errPath);
        const double simMany = callgrindCount({ZELK_SIM_PATH, "--max-steps", std::to_string(many), LOOP_S19}, errPath);
        const double stepFew = callgrindCount({argv[0], "--step-into", std::to_string(few)}, errPath);
        const double stepMany = callgrindCount({argv[0], "--step-into", std::to_string(many)}, errPath);
        if (simFew < 0 || simMany < 0 || stepFew < 0 || stepMany < 0) {
            std::printf("callgrind: a run failed\n");
        } else {
            std::printf("callgrind: zelk-sim %.1f, Step Into %.1f x86 instructions per 68HC11 instruction\n",
                        (simMany - simFew) / double(many - few), (stepMany - stepFew) / double(many - few));
        }
    } else if (callgrind) {
        std::printf("callgrind: valgrind not installed, skipped\n");
    }
    std::remove(errPath.c_str());
    return 0;
}
