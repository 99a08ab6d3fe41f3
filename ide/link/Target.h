// The mode-specific half of the access layer: one target the IDE reads,
// writes and steps. SimulatorTarget serves the memory image and the Korvex
// CPU; a board target speaks the serial monitor protocol. The access layer
// (AccessLayer) wraps these exchanges with the link-ready flag, the status
// report and the working copies, so its callers never see which target runs.
#pragma once

#include "link/CpuRegisters.h"

#include <cstdint>

namespace zelk {

// 0 = board, 1 = simulator (the stored "SimEnabled" setting maps to it).
enum class TargetMode : uint8_t { Board = 0, Simulator = 1 };

// What an executed step is for; a board builds its instruction slot and its
// reply wait from it (Step Over and Step Out wait without a time limit).
enum class StepKind : uint8_t { StepInto, StepOver, StepOut };

class Target {
public:
    virtual ~Target() = default;

    virtual TargetMode mode() const = 0;

    // Makes sure the target can be reached (FindBoard) and returns whether
    // the link is ready. A failure has been reported to the user.
    virtual bool findBoard() = 0;

    // One read of count bytes (1..256) from address on, wrapping after
    // $FFFF, into out. codeWindow marks the code window's read (a longer
    // reply window on the board). Returns false after a failed exchange,
    // already reported; out is then unchanged.
    virtual bool read(int32_t address, uint8_t* out, int count, bool codeWindow) = 0;

    // One write (memory) or program (flash) of count bytes (1..255) from
    // address on, wrapping after $FFFF. False after a failed exchange.
    virtual bool write(int32_t address, const uint8_t* data, int count) = 0;
    virtual bool program(int32_t address, const uint8_t* data, int count) = 0;

    // Erases the program area $E000-$FFFF. False after a failure.
    virtual bool erase() = 0;

    // Executes one instruction with the registers in regs (PC excepted) and
    // the instruction slot instr (five bytes; a board sends the first four)
    // and loads A, B, IX, IY, SP, CCR and the flags of regs from the result;
    // the simulator also writes them to the register save area $0000-$0008.
    // False after a failed exchange (regs unchanged).
    virtual bool step(CpuRegisters& regs, const uint8_t instr[5], StepKind kind) = 0;

    // Lets the target run freely from regs.PC with the registers of regs
    // (a board's run frame). False when refused or after a failure; the
    // simulator never runs freely.
    virtual bool run(const CpuRegisters& /*regs*/) { return false; }
};

} // namespace zelk
