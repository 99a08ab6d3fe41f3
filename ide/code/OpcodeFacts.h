// Compact per-page opcode facts for the per-step hot path (cycle counts,
// lengths, next-address prediction, data-breakpoint reach): five bytes per
// opcode, derived at
// compile time from the instruction table, so run control never searches
// or touches mnemonic texts.
#pragma once

#include "code/InstructionSet.h"

#include <array>
#include <cstdint>

namespace zelk {

// How an instruction moves the program counter.
enum class Flow : uint8_t {
    None,          // straight on by its length (undefined opcodes too)
    Branch,        // relative branch $20-$2F
    Call,          // BSR, JSR
    Jump,          // JMP
    ReturnSub,     // RTS
    ReturnInt,     // RTI
    BitBranchSet,  // BRSET
    BitBranchClear // BRCLR
};

struct OpcodeFacts {
    OperandFormat format;
    uint8_t length;  // prefix included; 1 for an undefined page-1 opcode, 2 after a prefix
    uint8_t cycles;  // 2 for an undefined page-1 opcode, 0 after a prefix
    Flow flow;
    // The instruction pushes or pulls: PSHA/B/X/Y, PULA/B/X/Y, RTS, RTI,
    // BSR, JSR, SWI, WAI. False for an undefined opcode.
    bool stack;
};

// [page][opcode]: page 0 is page 1, then $18, $1A, $CD.
extern const std::array<std::array<OpcodeFacts, 256>, 4> opcodeFacts;

// Page number (1..3) selected by a prefix byte, 0 for every other byte.
extern const std::array<uint8_t, 256> prefixPage;

// Bit f of branchConditions[opcode & 15] tells whether the relative branch
// $20 + (opcode & 15) is taken under the flags f = C + 2V + 4Z + 8N.
extern const std::array<uint16_t, 16> branchConditions;

} // namespace zelk
