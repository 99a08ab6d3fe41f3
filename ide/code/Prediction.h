// Next-address prediction and cycle counts for the instruction at the program
// counter. Run control single-steps with these (the target never executes a
// taken branch, jump, call or return: the IDE moves PC itself) and feeds the
// clock counter; the disassembler marks taken branches with them. Both read
// the code window and table lookups only: no allocation, no text.
#pragma once

#include "code/CodeWindow.h"
#include "code/InstructionSet.h"
#include "link/CpuRegisters.h"

#include <cstdint>

namespace zelk {

// Reads one operand byte from the target for BRSET/BRCLR (the access layer's
// InByte). Returns false when no target is available.
class OperandReader {
public:
    virtual ~OperandReader() = default;
    virtual bool readOperandByte(int32_t address, uint8_t& value) = 0;
};

// What the last prediction leaves for callers that look at it.
struct PredictionState {
    OperandFormat operandFormat = OperandFormat::Inherent;
    int8_t lastBranchOffset = 0;  // signed offset of the last relative or bit branch
};

// Predicts where execution goes after the instruction at pc.
//  stack: the 10 bytes of target memory at SP, SP+1, ... SP+9 (RTS reads [1],
//         [2]; RTI reads [8], [9]); may be null when the instruction is
//         neither RTS nor RTI.
//  target: reads the BRSET/BRCLR operand byte; null means no target.
//  pc: wrapped by $10000 when below the window base (the caller's variable
//      changes).
//  next: target of a taken branch or jump; for a call the entry when
//        followCalls is set, else the address after the call; for RTS/RTI
//        the return address; otherwise the following instruction. 0..$FFFF.
// Returns false when the prediction is not reliable: a bit branch with no
// target to read its operand from, or a return without stack bytes.
bool PredictNext(const CodeWindow& w, const CpuRegisters& regs, const uint8_t* stack, OperandReader* target,
                 int32_t& pc, bool followCalls, int32_t& next, bool& taken, bool& isCall, bool& isReturn,
                 PredictionState* state = nullptr);

// E-clock cycles of the instruction at address: the reference manual's count
// for its opcode and mode; 0 for an undefined second byte after a prefix, 2
// for an undefined page-1 opcode (TEST included).
uint8_t CycleCount(const CodeWindow& w, int32_t address);

// Whether the relative branch with page-1 opcode $20-$2F is taken under the
// flags of regs (BRA always, BRN never, ...).
bool branchTaken(uint8_t opcode, const CpuRegisters& regs);

} // namespace zelk
