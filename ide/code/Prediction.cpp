// Next-address prediction and cycle counts. Both run on every simulated
// step, so they read the compact opcode facts and the window's bytes only.
#include "code/Prediction.h"

#include "code/OpcodeFacts.h"

namespace zelk {

namespace {

// Byte k of the window (k counted from its base); 0 past its end, like
// CodeWindow::at.
inline uint8_t windowByte(const CodeWindow& w, uint32_t k)
{
    return k < static_cast<uint32_t>(CodeWindow::Size) ? w.bytes[k] : 0;
}

// The facts of the instruction whose first byte is window byte k; k moves to
// its opcode byte (past a prefix).
inline const OpcodeFacts& factsAt(const CodeWindow& w, uint32_t& k)
{
    uint8_t op = windowByte(w, k);
    uint8_t page = prefixPage[op];
    if (page) {
        ++k;
        op = windowByte(w, k);
    }
    return opcodeFacts[page][op];
}

} // namespace

bool branchTaken(uint8_t opcode, const CpuRegisters& r)
{
    unsigned flags = unsigned(r.C) | unsigned(r.V) << 1 | unsigned(r.Z) << 2 | unsigned(r.N) << 3;
    return branchConditions[opcode & 0x0F] >> flags & 1;
}

bool PredictNext(const CodeWindow& w, const CpuRegisters& regs, const uint8_t* stack, OperandReader* target,
                 int32_t& pc, bool followCalls, int32_t& next, bool& taken, bool& isCall, bool& isReturn,
                 PredictionState* state)
{
    taken = isCall = isReturn = false;
    bool result = true;
    if (pc < w.base)
        pc += 0x10000;
    uint32_t k = static_cast<uint32_t>(pc - w.base);
    const OpcodeFacts& f = factsAt(w, k);
    if (state)
        state->operandFormat = f.format;
    if (f.flow == Flow::None) {
        // Most instructions: straight on by the length.
        next = (pc + f.length) & 0xFFFF;
        return true;
    }
    const uint8_t opcode = windowByte(w, k);
    // Window byte k + 1 is the first operand byte.
    const uint8_t b0 = windowByte(w, k + 1);
    int32_t goesTo = pc + f.length;  // straight on

    switch (f.flow) {
    case Flow::None:
        break;
    case Flow::Branch:
        taken = branchTaken(opcode, regs);
        if (state)
            state->lastBranchOffset = static_cast<int8_t>(b0);
        if (taken)
            goesTo += static_cast<int8_t>(b0);
        break;
    case Flow::Call:
    case Flow::Jump:
        if (f.flow == Flow::Call)
            isCall = true;
        else
            taken = true;
        if (f.format == OperandFormat::Relative && state)
            state->lastBranchOffset = static_cast<int8_t>(b0);
        if (taken || followCalls) {
            switch (f.format) {
            case OperandFormat::Direct: goesTo = b0; break;
            case OperandFormat::Extended: goesTo = b0 << 8 | windowByte(w, k + 2); break;
            case OperandFormat::IndexedX: goesTo = regs.IX + b0; break;
            case OperandFormat::IndexedY: goesTo = regs.IY + b0; break;
            case OperandFormat::Relative: goesTo += static_cast<int8_t>(b0); break;
            default: break;
            }
        }
        break;
    case Flow::ReturnSub:
    case Flow::ReturnInt: {
        // RTS: return address at SP+1; RTI: at SP+8, above CCR, B, A, IX, IY.
        isReturn = f.flow == Flow::ReturnSub;
        int hi = isReturn ? 1 : 8;
        if (stack)
            goesTo = stack[hi] << 8 | stack[hi + 1];
        else
            result = false;
        break;
    }
    case Flow::BitBranchSet:
    case Flow::BitBranchClear: {
        int32_t address = b0;
        if (f.format == OperandFormat::BitBranchIndexedX)
            address += regs.IX;
        else if (f.format == OperandFormat::BitBranchIndexedY)
            address += regs.IY;
        uint8_t mask = windowByte(w, k + 2);
        int8_t offset = static_cast<int8_t>(windowByte(w, k + 3));
        if (state)
            state->lastBranchOffset = offset;
        uint8_t operand = 0;
        if (target && target->readOperandByte(address & 0xFFFF, operand)) {
            // BRSET branches when every mask bit is set in the operand,
            // BRCLR when every one is clear.
            uint8_t bits = f.flow == Flow::BitBranchSet ? static_cast<uint8_t>(~operand) : operand;
            taken = (bits & mask) == 0;
        } else {
            result = false;
        }
        if (taken)
            goesTo += offset;
        break;
    }
    }
    next = goesTo & 0xFFFF;
    return result;
}

uint8_t CycleCount(const CodeWindow& w, int32_t address)
{
    if (address < w.base)
        address += 0x10000;
    uint32_t k = static_cast<uint32_t>(address - w.base);
    return factsAt(w, k).cycles;
}

} // namespace zelk
