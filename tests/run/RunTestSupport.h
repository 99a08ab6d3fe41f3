// A simulator-mode IDE core for run control tests: access layer, breakpoint
// table and execution control over a memory image the test fills.
#pragma once

#include "LinkTestSupport.h"

#include "link/AccessLayer.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <random>
#include <string>

namespace zelk::test {

class RunFixture : public ::testing::Test {
protected:
    RunFixture() : link(&notifier, &hooks), control(link, breakpoints) {}

    void load(int32_t address, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes)
            link.image()[address++ & 0xFFFF] = b;
    }
    // Marks the register save area so that a test can tell whether the
    // simulator ran (every simulated step rewrites $0000-$0008).
    void markSaveArea()
    {
        for (int i = 0; i < 9; ++i)
            link.image()[i] = 0xEE;
    }
    bool saveAreaUntouched() const
    {
        for (int i = 0; i < 9; ++i)
            if (const_cast<AccessLayer&>(link).image()[i] != 0xEE)
                return false;
        return true;
    }
    void setCCR(uint8_t ccr)
    {
        link.regs.CCR = ccr;
        link.regs.unpackCCR();
    }

    RecordingNotifier notifier;
    CountingHooks hooks;
    AccessLayer link;
    BreakpointTable breakpoints;
    ExecutionControl control;
};

// An I/O unit that logs every call, including beforeRead.
class TracingIoUnit : public LoggingIoUnit {
public:
    void beforeRead(int32_t address) override { log.push_back("beforeRead " + std::to_string(address)); }
};

// A core of its own (notifier, hooks, I/O unit, link, breakpoints, run
// control) for tests that run two or more side by side, one road or option
// against another. Io is the I/O unit the link is given (not activated).
template <class Io = LoggingIoUnit>
struct BasicSimCore {
    explicit BasicSimCore(bool shortRoad = true, bool withHooks = true)
        : link(&notifier, withHooks ? &hooks : nullptr), control(link, breakpoints)
    {
        control.simulatorShortRoad = shortRoad;
        link.setIoUnit(&io);
    }
    RecordingNotifier notifier;
    CountingHooks hooks;
    Io io;
    AccessLayer link;
    BreakpointTable breakpoints;
    ExecutionControl control;
};
using SimCore = BasicSimCore<>;

// A random program: random bytes over the whole image (every page,
// undefined opcodes, branches, calls, returns, the save area, the I/O unit,
// the top of memory) and random registers with their flags; PC is $E000,
// $FFF0, $0000 or a random address.
inline void seedRandom(AccessLayer& link, std::mt19937& rng)
{
    std::uniform_int_distribution<int> byte(0, 255), word(0, 0xFFFF);
    for (int i = 0; i < 0x10000; ++i)
        link.image()[i] = static_cast<uint8_t>(byte(rng));
    const int32_t pcs[] = {0xE000, 0xFFF0, 0x0000, static_cast<int32_t>(word(rng))};
    CpuRegisters r;
    r.A = static_cast<uint8_t>(byte(rng));
    r.B = static_cast<uint8_t>(byte(rng));
    r.IX = word(rng);
    r.IY = word(rng);
    r.SP = word(rng);
    r.CCR = static_cast<uint8_t>(byte(rng));
    r.unpackCCR();
    r.PC = pcs[byte(rng) % 4];
    link.regs = r;
}

// The same image, registers and clock counter in to as in from.
template <class A, class B>
void copyState(const A& from, B& to)
{
    std::memcpy(to.link.image(), const_cast<AccessLayer&>(from.link).image(), 0x10000);
    to.link.regs = from.link.regs;
    to.control.clockCounter = from.control.clockCounter;
}

// Appends "what p vs q; " to d when p and q differ.
inline void checkSame(std::string& d, const char* what, long p, long q)
{
    if (p != q)
        d += std::string(what) + " " + std::to_string(p) + " vs " + std::to_string(q) + "; ";
}

// The registers, PC and the eight flags (as the record holds them).
inline void checkRegisters(std::string& d, const CpuRegisters& x, const CpuRegisters& y)
{
    checkSame(d, "A", x.A, y.A);
    checkSame(d, "B", x.B, y.B);
    checkSame(d, "IX", x.IX, y.IX);
    checkSame(d, "IY", x.IY, y.IY);
    checkSame(d, "SP", x.SP, y.SP);
    checkSame(d, "PC", x.PC, y.PC);
    checkSame(d, "CCR", x.CCR, y.CCR);
    const bool fx[8] = {x.C, x.V, x.Z, x.N, x.I, x.H, x.X, x.S};
    const bool fy[8] = {y.C, y.V, y.Z, y.N, y.I, y.H, y.X, y.S};
    for (int i = 0; i < 8; ++i)
        checkSame(d, "flag", fx[i], fy[i]);
}

// The first image byte that differs, if any.
inline void checkImage(std::string& d, const uint8_t* x, const uint8_t* y)
{
    if (std::memcmp(x, y, 0x10000) == 0)
        return;
    for (int i = 0; i < 0x10000; ++i)
        if (x[i] != y[i]) {
            checkSame(d, "image byte", i, -1);
            return;
        }
}

} // namespace zelk::test
