// Instruction decoder: turns the machine code at a target address in the
// code window into one line of assembly text ("LDAA  #$12", "BRSET $10 $80
// $C004", "???"), its length and its operand format. It reads only the code
// window, never the target.
#pragma once

#include "code/CodeWindow.h"
#include "code/InstructionSet.h"

#include <cstdint>
#include <string>

namespace zelk {

// What the last decode leaves for run control and prediction.
struct DecoderState {
    uint8_t lastOpcode = 0;  // the opcode byte, the second byte after a prefix
    OperandFormat operandFormat = OperandFormat::Inherent;
};

// Decodes the instruction at address. An address below the window base is
// taken as address + $10000 and the caller's variable is updated. Undefined
// opcodes (TEST included) give "???", format 0, length 1 (2 after a prefix).
// text is replaced; state, when given, receives the opcode and format.
void DisassembleOne(const CodeWindow& w, int32_t& address, int16_t& length, std::string& text,
                    DecoderState* state = nullptr);

// Length of the instruction at address (1..5), without building any text:
// the fast path run control uses every step.
int instructionLength(const CodeWindow& w, int32_t address);

// The table entry of the instruction at address, or nullptr when undefined.
// prefix receives the prefix byte (0 on page 1) and opcode the opcode byte
// on its page. The address is wrapped like DisassembleOne's.
const InstructionInfo* instructionAt(const CodeWindow& w, int32_t address, uint8_t& prefix, uint8_t& opcode);

// True for the three prefix bytes that select the pages $18, $1A and $CD.
constexpr bool isPrefixByte(uint8_t b)
{
    return b == 0x18 || b == 0x1A || b == 0xCD;
}

} // namespace zelk
