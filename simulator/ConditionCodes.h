// The arithmetic and logic operations of the 68HC11 with their condition
// codes, each written once and shared by every opcode and addressing mode
// that uses it. Carry, half carry and overflow follow the manual's boolean
// formulas over the operand, memory and result bits.
#pragma once

#include "Cpu.h"

#include <cstdint>

namespace korvex {

KORVEX_INLINE uint8_t nz8(uint8_t r)
{
    return static_cast<uint8_t>((r & 0x80 ? FlagN : 0) | (r == 0 ? FlagZ : 0));
}

KORVEX_INLINE uint8_t nz16(uint16_t r)
{
    return static_cast<uint8_t>((r & 0x8000 ? FlagN : 0) | (r == 0 ? FlagZ : 0));
}

// Replaces the flags in mask with those in bits.
template <class Cpu>
KORVEX_INLINE void setFlags(Cpu& c, uint8_t mask, uint8_t bits)
{
    c.ccr = static_cast<uint8_t>((c.ccr & ~mask) | bits);
}

template <class Cpu>
KORVEX_INLINE unsigned carryIn(const Cpu& c) { return c.ccr & FlagC; }

// X + M + carry: ADD, ADC, ABA. Sets H, N, Z, V, C.
template <class Cpu>
KORVEX_INLINE uint8_t add8(Cpu& c, uint8_t x, uint8_t m, unsigned carry)
{
    const auto r = static_cast<uint8_t>(x + m + carry);
    const unsigned carries = (x & m) | (m & ~r) | (~r & x);
    const unsigned overflow = (x & m & ~r) | (~x & ~m & r);
    setFlags(c, FlagH | FlagN | FlagZ | FlagV | FlagC,
             static_cast<uint8_t>((carries & 0x08 ? FlagH : 0) | nz8(r) |
                                  (overflow & 0x80 ? FlagV : 0) | (carries & 0x80 ? FlagC : 0)));
    return r;
}

// X - M - borrow: SUB, SBC, CMP, SBA, CBA. Sets N, Z, V, C.
template <class Cpu>
KORVEX_INLINE uint8_t sub8(Cpu& c, uint8_t x, uint8_t m, unsigned borrow)
{
    const auto r = static_cast<uint8_t>(x - m - borrow);
    const unsigned borrows = (~x & m) | (m & r) | (r & ~x);
    const unsigned overflow = (x & ~m & ~r) | (~x & m & r);
    setFlags(c, FlagN | FlagZ | FlagV | FlagC,
             static_cast<uint8_t>(nz8(r) | (overflow & 0x80 ? FlagV : 0) |
                                  (borrows & 0x80 ? FlagC : 0)));
    return r;
}

// X + M, 16 bits: ADDD. Sets N, Z, V, C.
template <class Cpu>
KORVEX_INLINE uint16_t add16(Cpu& c, uint16_t x, uint16_t m)
{
    const auto r = static_cast<uint16_t>(x + m);
    const unsigned carries = (x & m) | (m & ~r) | (~r & x);
    const unsigned overflow = (x & m & ~r) | (~x & ~m & r);
    setFlags(c, FlagN | FlagZ | FlagV | FlagC,
             static_cast<uint8_t>(nz16(r) | (overflow & 0x8000 ? FlagV : 0) |
                                  (carries & 0x8000 ? FlagC : 0)));
    return r;
}

// X - M, 16 bits: SUBD, CPD, CPX, CPY. Sets N, Z, V, C.
template <class Cpu>
KORVEX_INLINE uint16_t sub16(Cpu& c, uint16_t x, uint16_t m)
{
    const auto r = static_cast<uint16_t>(x - m);
    const unsigned borrows = (~x & m) | (m & r) | (r & ~x);
    const unsigned overflow = (x & ~m & ~r) | (~x & m & r);
    setFlags(c, FlagN | FlagZ | FlagV | FlagC,
             static_cast<uint8_t>(nz16(r) | (overflow & 0x8000 ? FlagV : 0) |
                                  (borrows & 0x8000 ? FlagC : 0)));
    return r;
}

// Loads, stores, transfers and logic: N and Z from the value, V cleared.
template <class Cpu>
KORVEX_INLINE uint8_t move8(Cpu& c, uint8_t r)
{
    setFlags(c, FlagN | FlagZ | FlagV, nz8(r));
    return r;
}

template <class Cpu>
KORVEX_INLINE uint16_t move16(Cpu& c, uint16_t r)
{
    setFlags(c, FlagN | FlagZ | FlagV, nz16(r));
    return r;
}

// Shifts and rotates: N, Z from the result, C the bit shifted out, V = N xor C.
template <class Cpu>
KORVEX_INLINE uint8_t shifted8(Cpu& c, uint8_t r, bool carryOut)
{
    const bool n = (r & 0x80) != 0;
    setFlags(c, FlagN | FlagZ | FlagV | FlagC,
             static_cast<uint8_t>(nz8(r) | (n != carryOut ? FlagV : 0) | (carryOut ? FlagC : 0)));
    return r;
}

template <class Cpu>
KORVEX_INLINE uint16_t shifted16(Cpu& c, uint16_t r, bool carryOut)
{
    const bool n = (r & 0x8000) != 0;
    setFlags(c, FlagN | FlagZ | FlagV | FlagC,
             static_cast<uint8_t>(nz16(r) | (n != carryOut ? FlagV : 0) | (carryOut ? FlagC : 0)));
    return r;
}

// The one-operand group shared by the accumulator forms ($40-$5F) and the
// memory forms ($60-$7F), selected by the low nibble of the opcode. For INC
// the overflow test can come from a different read of the operand (memory
// INC reads its byte twice), hence vSource.
template <unsigned Op, class Cpu>
KORVEX_INLINE uint8_t unary(Cpu& c, uint8_t x, uint8_t vSource)
{
    if constexpr (Op == 0x0) { // NEG
        const auto r = static_cast<uint8_t>(0 - x);
        setFlags(c, FlagN | FlagZ | FlagV | FlagC,
                 static_cast<uint8_t>(nz8(r) | (r == 0x80 ? FlagV : 0) | (r != 0 ? FlagC : 0)));
        return r;
    } else if constexpr (Op == 0x3) { // COM
        const auto r = static_cast<uint8_t>(~x);
        setFlags(c, FlagN | FlagZ | FlagV | FlagC, static_cast<uint8_t>(nz8(r) | FlagC));
        return r;
    } else if constexpr (Op == 0x4) { // LSR
        return shifted8(c, static_cast<uint8_t>(x >> 1), x & 1);
    } else if constexpr (Op == 0x6) { // ROR
        return shifted8(c, static_cast<uint8_t>(x >> 1 | (carryIn(c) << 7)), x & 1);
    } else if constexpr (Op == 0x7) { // ASR
        return shifted8(c, static_cast<uint8_t>(x >> 1 | (x & 0x80)), x & 1);
    } else if constexpr (Op == 0x8) { // ASL
        return shifted8(c, static_cast<uint8_t>(x << 1), x & 0x80);
    } else if constexpr (Op == 0x9) { // ROL
        return shifted8(c, static_cast<uint8_t>(x << 1 | carryIn(c)), x & 0x80);
    } else if constexpr (Op == 0xA) { // DEC
        const auto r = static_cast<uint8_t>(x - 1);
        setFlags(c, FlagN | FlagZ | FlagV, static_cast<uint8_t>(nz8(r) | (x == 0x80 ? FlagV : 0)));
        return r;
    } else if constexpr (Op == 0xC) { // INC
        const auto r = static_cast<uint8_t>(x + 1);
        setFlags(c, FlagN | FlagZ | FlagV,
                 static_cast<uint8_t>(nz8(r) | (vSource == 0x7F ? FlagV : 0)));
        return r;
    } else if constexpr (Op == 0xD) { // TST
        setFlags(c, FlagN | FlagZ | FlagV | FlagC, nz8(x));
        return x;
    } else { // CLR
        static_assert(Op == 0xF, "not a one-operand instruction");
        setFlags(c, FlagN | FlagZ | FlagV | FlagC, FlagZ);
        return 0;
    }
}

// DAA: corrects A after an addition of two BCD bytes (ADDA, ADCA, ABA) to
// the BCD sum, from C, H and the two digits of A as the manual's DAA table
// gives them: $06 when the low digit is above 9 or H is set, $60 when C is
// set, the high digit is above 9, or it is 9 with a low digit above 9. C is
// set when $60 was added and kept otherwise (a set C stays set); N and Z come
// from the result. V is undefined after DAA on the CPU: it keeps its value,
// and H is not affected.
template <class Cpu>
KORVEX_INLINE void daa(Cpu& c)
{
    const auto x = static_cast<uint8_t>(c.a);
    const unsigned hi = x >> 4, lo = x & 0xF;
    const bool carry = (c.ccr & FlagC) != 0;
    unsigned adjust = 0;
    if (lo > 9 || (c.ccr & FlagH))
        adjust |= 0x06;
    const bool carryOut = carry || hi > 9 || (hi == 9 && lo > 9);
    if (carryOut)
        adjust |= 0x60;
    const auto r = static_cast<uint8_t>(x + adjust);
    c.a = r;
    setFlags(c, FlagN | FlagZ | FlagC, static_cast<uint8_t>(nz8(r) | (carryOut ? FlagC : 0)));
}

// True for the low nibbles of $40-$7F that hold an instruction.
constexpr bool isUnary(unsigned op)
{
    return op == 0x0 || op == 0x3 || op == 0x4 || (op >= 0x6 && op <= 0xA) || op == 0xC ||
           op == 0xD || op == 0xF;
}

// IDIV: D / IX, unsigned. Division by zero leaves D and sets IX = $FFFF, C.
template <class Cpu>
KORVEX_INLINE void idiv(Cpu& c)
{
    const uint16_t n = c.d();
    const auto d = static_cast<uint16_t>(c.ix);
    c.ccr &= static_cast<uint8_t>(~(FlagZ | FlagV | FlagC));
    if (d == 0) {
        c.ix = 0xFFFF;
        c.ccr |= FlagC;
        return;
    }
    const auto q = static_cast<uint16_t>(n / d);
    c.ix = q;
    c.setD(static_cast<uint16_t>(n % d));
    if (q == 0)
        c.ccr |= FlagZ;
}

// FDIV: the binary fraction D / IX (D < IX). V when IX <= D, C when IX = 0;
// either leaves D and sets IX = $FFFF. floor(n * 65536 / d) is exactly the
// quotient the bit-by-bit restoring division produces.
template <class Cpu>
KORVEX_INLINE void fdiv(Cpu& c)
{
    const uint32_t n = c.d();
    const auto d = static_cast<uint32_t>(static_cast<uint16_t>(c.ix));
    c.ccr &= static_cast<uint8_t>(~(FlagZ | FlagV | FlagC));
    if (d == 0)
        c.ccr |= FlagC;
    if (d <= n) {
        c.ccr |= FlagV;
        c.ix = 0xFFFF;
        return;
    }
    const uint32_t q = (n << 16) / d;
    c.ix = static_cast<int32_t>(q);
    c.setD(static_cast<uint16_t>((n << 16) - q * d));
    if (q == 0)
        c.ccr |= FlagZ;
}

} // namespace korvex
