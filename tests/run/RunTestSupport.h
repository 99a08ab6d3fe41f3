// A simulator-mode IDE core for run control tests: access layer, breakpoint
// table and execution control over a memory image the test fills.
#pragma once

#include "LinkTestSupport.h"

#include "link/AccessLayer.h"
#include "run/BreakpointTable.h"
#include "run/ExecutionControl.h"

#include <gtest/gtest.h>

#include <initializer_list>

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

} // namespace zelk::test
