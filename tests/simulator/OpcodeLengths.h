// The test's own copy of the opcode map: each instruction's length, prefix
// included, for every page. Shared by the opcode-map and entry tests.
#pragma once

#include <map>

namespace korvextest {

// Instruction length per opcode, prefix included; '0' = undefined,
// 'P' = prefix byte. Sixteen opcodes per line.
inline const char* const page1Lengths =
    "0111111111111111"  // $00 TEST NOP IDIV FDIV LSRD ASLD TAP TPA INX DEX CLV SEV CLC SEC CLI SEI
    "11443311P1P13344"  // $10 SBA CBA BRSET BRCLR BSET BCLR TAB TBA $18 DAA $1A ABA BSET BCLR BRSET BRCLR
    "2222222222222222"  // $20 branches
    "1111111111111111"  // $30 stack, RTS, RTI, MUL, WAI, SWI
    "1001101111101101"  // $40 A
    "1001101111101101"  // $50 B
    "2002202222202222"  // $60 indexed X
    "3003303333303333"  // $70 extended
    "2223222022223231"  // $80 immediate A, BSR, XGDX
    "2222222222222222"  // $90
    "2222222222222222"  // $A0
    "3333333333333333"  // $B0
    "2223222022223P31"  // $C0 immediate B, $CD, STOP
    "2222222222222222"  // $D0
    "2222222222222222"  // $E0
    "3333333333333333"; // $F0

inline const char* const page18Lengths =
    "0000000022000000"  // INY DEY
    "0000000000004455"  // BSET BCLR BRSET BRCLR ,Y
    "0000000000000000"
    "2000020020202000"  // TSY TYS PULY ABY PSHY
    "0000000000000000"
    "0000000000000000"
    "3003303333303333"  // indexed Y one-operand group, JMP
    "0000000000000000"
    "0000000000004002"  // CPY # XGDY
    "0000000000003000"  // CPY dir
    "3333333333333333"  // A-group indexed Y
    "0000000000004000"  // CPY ext
    "0000000000000040"  // LDY #
    "0000000000000033"  // LDY STY dir
    "3333333333333333"  // B-group indexed Y
    "0000000000000044"; // LDY STY ext

inline int prefixedLength(int page, int op)
{
    if (page == 0x18)
        return page18Lengths[op] - '0';
    static const std::map<int, int> page1A = {{0x83, 4}, {0x93, 3}, {0xA3, 3}, {0xAC, 3},
                                              {0xB3, 4}, {0xEE, 3}, {0xEF, 3}};
    static const std::map<int, int> pageCD = {{0xA3, 3}, {0xAC, 3}, {0xEE, 3}, {0xEF, 3}};
    const auto& m = page == 0x1A ? page1A : pageCD;
    const auto it = m.find(op);
    return it == m.end() ? 0 : it->second;
}

// Length of the instruction whose first bytes are page (0 for page 1) and
// op; 0 for an undefined one, -1 for a bare prefix byte on page 1.
inline int instructionLength(int page, int op)
{
    if (page != 0)
        return prefixedLength(page, op);
    const char len = page1Lengths[op];
    return len == 'P' ? -1 : len - '0';
}

} // namespace korvextest
