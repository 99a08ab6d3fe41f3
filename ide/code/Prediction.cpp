// Next-address prediction and cycle counts.
#include "code/Prediction.h"

#include "code/Decoder.h"

namespace zelk {

bool branchTaken(uint8_t opcode, const CpuRegisters& r)
{
    bool nv = r.N != r.V;
    switch (opcode & 0x0F) {
    case 0x0: return true;                 // BRA
    case 0x1: return false;                // BRN
    case 0x2: return !(r.C || r.Z);        // BHI
    case 0x3: return r.C || r.Z;           // BLS
    case 0x4: return !r.C;                 // BCC
    case 0x5: return r.C;                  // BCS
    case 0x6: return !r.Z;                 // BNE
    case 0x7: return r.Z;                  // BEQ
    case 0x8: return !r.V;                 // BVC
    case 0x9: return r.V;                  // BVS
    case 0xA: return !r.N;                 // BPL
    case 0xB: return r.N;                  // BMI
    case 0xC: return !nv;                  // BGE
    case 0xD: return nv;                   // BLT
    case 0xE: return !(nv || r.Z);         // BGT
    default: return nv || r.Z;             // BLE
    }
}

bool PredictNext(const CodeWindow& w, const CpuRegisters& regs, const uint8_t* stack, OperandReader* target,
                 int32_t& pc, bool followCalls, int32_t& next, bool& taken, bool& isCall, bool& isReturn,
                 PredictionState* state)
{
    taken = isCall = isReturn = false;
    bool result = true;
    if (pc < w.base)
        pc += 0x10000;
    next = pc + 1;
    uint8_t opcode = w.at(pc);
    uint8_t prefix = 0;
    if (isPrefixByte(opcode)) {
        prefix = opcode;
        opcode = w.at(next);
        ++next;
    }
    const InstructionInfo* e = findInstruction(prefix, opcode);
    OperandFormat format = e ? e->format : OperandFormat::Inherent;

    // Classify: branches, calls, jumps and returns.
    if (prefix == 0) {
        if (opcode >= 0x20 && opcode <= 0x2F)
            taken = branchTaken(opcode, regs);
        else if (opcode == 0x8D || opcode == 0x9D || opcode == 0xAD || opcode == 0xBD)
            isCall = true;  // BSR, JSR direct, indexed X, extended
        else if (opcode == 0x6E || opcode == 0x7E)
            taken = true;   // JMP indexed X, extended
        else if (opcode == 0x39 || opcode == 0x3B) {
            // RTS: return address at SP+1; RTI: at SP+8, above CCR, B, A, IX, IY.
            int hi = opcode == 0x39 ? 1 : 8;
            isReturn = opcode == 0x39;
            if (stack)
                next = stack[hi] << 8 | stack[hi + 1];
            else
                result = false;
        }
    } else if (prefix == 0x18) {
        if (opcode == 0xAD)
            isCall = true;  // JSR indexed Y
        else if (opcode == 0x6E)
            taken = true;   // JMP indexed Y
    }

    bool go = taken || (followCalls && isCall);
    uint8_t b0 = w.at(next);
    switch (format) {
    case OperandFormat::Inherent:
        break;
    case OperandFormat::Immediate8:
        next += 1;
        break;
    case OperandFormat::Immediate16:
    case OperandFormat::BitDirect:
    case OperandFormat::BitIndexedX:
    case OperandFormat::BitIndexedY:
        next += 2;
        break;
    case OperandFormat::Direct:
        next = go ? b0 : next + 1;
        break;
    case OperandFormat::Extended:
        next = go ? (b0 << 8 | w.at(next + 1)) : next + 2;
        break;
    case OperandFormat::IndexedX:
        next = go ? regs.IX + b0 : next + 1;
        break;
    case OperandFormat::IndexedY:
        next = go ? regs.IY + b0 : next + 1;
        break;
    case OperandFormat::Relative: {
        int8_t offset = static_cast<int8_t>(b0);
        if (state)
            state->lastBranchOffset = offset;
        next = next + 1 + (go ? offset : 0);
        break;
    }
    case OperandFormat::BitBranchDirect:
    case OperandFormat::BitBranchIndexedX:
    case OperandFormat::BitBranchIndexedY: {
        int32_t address = b0;
        if (format == OperandFormat::BitBranchIndexedX)
            address += regs.IX;
        else if (format == OperandFormat::BitBranchIndexedY)
            address += regs.IY;
        uint8_t mask = w.at(next + 1);
        int8_t offset = static_cast<int8_t>(w.at(next + 2));
        if (state)
            state->lastBranchOffset = offset;
        uint8_t operand = 0;
        if (target && target->readOperandByte(address & 0xFFFF, operand)) {
            // BRSET ($12, $1E) branches when all mask bits are set in the
            // operand, BRCLR ($13, $1F) when they are all clear.
            bool isSet = (opcode & 1) == 0;
            taken = ((isSet ? static_cast<uint8_t>(~operand) : operand) & mask) == 0;
        } else {
            result = false;
        }
        next = next + 3 + (taken ? offset : 0);
        break;
    }
    }
    next &= 0xFFFF;
    if (state)
        state->operandFormat = format;
    return result;
}

uint8_t CycleCount(const CodeWindow& w, int32_t address)
{
    uint8_t prefix, opcode;
    const InstructionInfo* e = instructionAt(w, address, prefix, opcode);
    if (e)
        return e->cycles;
    return prefix ? 0 : 2;
}

} // namespace zelk
