// The one table of the 68HC11 instruction set: every opcode of page 1 and of
// the prefix pages $18, $1A and $CD with its mnemonic, operand format, length
// and E-clock cycle count. The decoder, the cycle counter, next-address
// prediction and the as11 assembler all read this table, so encodings,
// lengths and texts can never drift apart.
#pragma once

#include <cstdint>
#include <span>

namespace zelk {

// Operand format codes as the decoder reports them (the numbers are shown
// and relied upon by callers: keep them).
enum class OperandFormat : uint8_t {
    Inherent = 0,       // no operand
    Immediate8 = 1,     // #$nn
    Immediate16 = 2,    // #$nnnn
    Direct = 3,         // $nn
    BitDirect = 4,      // $aa $mm            (BSET/BCLR direct)
    BitBranchDirect = 5,// $aa $mm $tttt      (BRSET/BRCLR direct)
    Extended = 6,       // $nnnn
    IndexedX = 7,       // $nn,X
    BitIndexedX = 8,    // $nn,X $mm
    BitBranchIndexedX = 9,
    IndexedY = 10,      // $nn,Y
    BitIndexedY = 11,
    BitBranchIndexedY = 12,
    Relative = 13,      // $tttt
};

// Number of operand bytes after the opcode byte for each format.
constexpr uint8_t operandBytes(OperandFormat f)
{
    constexpr uint8_t n[] = {0, 1, 2, 1, 2, 3, 2, 1, 2, 3, 1, 2, 3, 1};
    return n[static_cast<uint8_t>(f)];
}

struct InstructionInfo {
    const char* mnemonic;  // upper case, as the decoder shows it ("LDAA", "LSL", "BRSET")
    uint8_t prefix;        // 0 for page 1, else $18, $1A or $CD
    uint8_t opcode;        // opcode byte on its page
    OperandFormat format;
    uint8_t length;        // whole instruction in bytes, prefix included
    uint8_t cycles;        // E-clock cycles (branches: the same taken or not)
};

// Every defined instruction, in page order (page 1, $18, $1A, $CD), each
// opcode once. DAA ($19) is included (the assembler encodes it, the decoder
// shows it); TEST ($00) is not: it decodes as "???" like any undefined opcode.
std::span<const InstructionInfo> instructionSet();

// The entry for (prefix, opcode) or nullptr when that page leaves the opcode
// undefined. prefix is 0, $18, $1A or $CD; any other prefix gives nullptr.
// O(1): a direct index into per-page tables.
const InstructionInfo* findInstruction(uint8_t prefix, uint8_t opcode);

} // namespace zelk
