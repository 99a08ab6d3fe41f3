// Every 68HC11 instruction as one compile-time specialised handler.
//
// exec<Op, Page> is the handler of opcode Op on a page. The prefix pages
// repeat page-1 instructions with a different index register or operand
// register, so one body serves all four pages: Page says where the operand
// starts, which register the indexed mode adds to, which 16-bit register
// CPX/LDX/STX and the X-group inherent instructions use, and whether the SUBD
// column means CPD. Everything is resolved at compile time: a handler does
// no mode decoding at run time.
#pragma once

#include "ConditionCodes.h"
#include "Cpu.h"

#include <cstdint>

namespace korvex {

enum class Mode { Immediate, Direct, Indexed, Extended };

template <unsigned Page>
struct PageInfo {
    static_assert(Page == 0 || Page == 0x18 || Page == 0x1A || Page == 0xCD);
    static constexpr int p = Page == 0 ? 2 : 3;                     // first operand byte
    static constexpr bool indexY = Page == 0x18 || Page == 0xCD;    // ea = IY + offset
    static constexpr bool wordY = Page == 0x18 || Page == 0x1A;     // IX-register forms use IY
    static constexpr bool compareD = Page == 0x1A || Page == 0xCD;  // $x3 of A-group is CPD
};

// Which second bytes each page defines. Page 1 leaves its gaps and TEST
// empty; the prefix bytes themselves are dispatched before exec is reached.
constexpr bool isDefined(unsigned page, unsigned op)
{
    const unsigned hi = op >> 4, lo = op & 0xF;
    switch (page) {
    case 0:
        if (op == 0x00 || op == 0x18 || op == 0x1A || op == 0xCD)
            return false;
        if (hi >= 4 && hi <= 7)
            return isUnary(lo) || (hi >= 6 && lo == 0xE);
        return op != 0x87 && op != 0xC7;
    case 0x18:
        if (hi == 6)
            return isUnary(lo) || lo == 0xE;
        return op == 0x08 || op == 0x09 || (op >= 0x1C && op <= 0x1F) || op == 0x30 ||
               op == 0x35 || op == 0x38 || op == 0x3A || op == 0x3C || op == 0x8C ||
               op == 0x8F || op == 0x9C || hi == 0xA || op == 0xBC || op == 0xCE ||
               op == 0xDE || op == 0xDF || hi == 0xE || op == 0xFE || op == 0xFF;
    case 0x1A:
        return op == 0x83 || op == 0x93 || op == 0xA3 || op == 0xAC || op == 0xB3 ||
               op == 0xEE || op == 0xEF;
    case 0xCD:
        return op == 0xA3 || op == 0xAC || op == 0xEE || op == 0xEF;
    default:
        return false;
    }
}

template <unsigned Page, class Cpu>
struct Ops {
    using P = PageInfo<Page>;
    static constexpr int p = P::p;

    KORVEX_INLINE static auto& indexReg(Cpu& c)
    {
        if constexpr (P::indexY)
            return c.iy;
        else
            return c.ix;
    }

    KORVEX_INLINE static auto& wordReg(Cpu& c)
    {
        if constexpr (P::wordY)
            return c.iy;
        else
            return c.ix;
    }

    KORVEX_INLINE static uint16_t imm16(const Cpu& c) { return static_cast<uint16_t>(c.in(p) << 8 | c.in(p + 1)); }

    // Effective address. An indexed address wraps to 16 bits as on the
    // CPU's address bus, so a jump or call through it lands where a data
    // access at it would.
    template <Mode M>
    KORVEX_INLINE static int32_t ea(Cpu& c)
    {
        static_assert(M != Mode::Immediate);
        if constexpr (M == Mode::Direct)
            return c.in(p);
        else if constexpr (M == Mode::Extended)
            return imm16(c);
        else
            return (indexReg(c) + c.in(p)) & 0xFFFF;
    }

    template <Mode M>
    static constexpr int length(bool wordImmediate)
    {
        if constexpr (M == Mode::Immediate)
            return wordImmediate ? p + 1 : p;
        else if constexpr (M == Mode::Extended)
            return p + 1;
        else
            return p;
    }

    template <Mode M>
    KORVEX_INLINE static uint8_t operand8(Cpu& c)
    {
        if constexpr (M == Mode::Immediate)
            return c.in(p);
        else
            return c.read(ea<M>(c));
    }

    // High byte at the address, low byte at address + 1. Direct mode (and
    // ADDD extended, lowFirst) read the low byte first.
    template <Mode M, bool lowFirst = false>
    KORVEX_INLINE static uint16_t operand16(Cpu& c)
    {
        if constexpr (M == Mode::Immediate) {
            return imm16(c);
        } else {
            const int32_t a = ea<M>(c);
            if constexpr (M == Mode::Direct || lowFirst) {
                const uint8_t lo = c.read(a + 1);
                const uint8_t hi = c.read(a);
                return static_cast<uint16_t>(hi << 8 | lo);
            } else {
                const uint8_t hi = c.read(a);
                const uint8_t lo = c.read(a + 1);
                return static_cast<uint16_t>(hi << 8 | lo);
            }
        }
    }

    KORVEX_INLINE static void store16(Cpu& c, int32_t a, uint16_t v)
    {
        c.write(a, static_cast<uint8_t>(v >> 8));
        c.write(a + 1, static_cast<uint8_t>(v));
    }

    KORVEX_INLINE static void push8(Cpu& c, uint8_t v)
    {
        c.write(c.sp, v);
        c.sp -= 1;
    }

    // Low byte at SP, high byte at SP - 1.
    KORVEX_INLINE static void push16(Cpu& c, uint16_t v)
    {
        c.write(c.sp, static_cast<uint8_t>(v));
        c.write(c.sp - 1, static_cast<uint8_t>(v >> 8));
        c.sp -= 2;
    }

    KORVEX_INLINE static uint8_t pull8(Cpu& c)
    {
        c.sp += 1;
        return c.read(c.sp);
    }

    KORVEX_INLINE static uint16_t pull16(Cpu& c)
    {
        const uint8_t hi = pull8(c);
        const uint8_t lo = pull8(c);
        return static_cast<uint16_t>(hi << 8 | lo);
    }

    KORVEX_INLINE static void branchIf(Cpu& c, bool taken, int len, uint8_t offset)
    {
        c.pc += static_cast<uint32_t>(len);
        if (taken)
            c.pc += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(offset)));
    }

    KORVEX_INLINE static bool condition(unsigned cond, uint8_t ccr)
    {
        const bool cf = ccr & FlagC, vf = ccr & FlagV, zf = ccr & FlagZ, nf = ccr & FlagN;
        switch (cond) {
        case 0x0: return true;
        case 0x1: return false;
        case 0x2: return !cf && !zf;
        case 0x3: return cf || zf;
        case 0x4: return !cf;
        case 0x5: return cf;
        case 0x6: return !zf;
        case 0x7: return zf;
        case 0x8: return !vf;
        case 0x9: return vf;
        case 0xA: return !nf;
        case 0xB: return nf;
        case 0xC: return nf == vf;
        case 0xD: return nf != vf;
        case 0xE: return !zf && nf == vf;
        default: return zf || nf != vf;
        }
    }

    // BRSET/BRCLR: the byte at the address, the mask after the address
    // byte, the signed offset after the mask.
    template <Mode M, bool set>
    KORVEX_INLINE static void bitBranch(Cpu& c)
    {
        const uint8_t v = c.read(ea<M>(c));
        const uint8_t mask = c.in(p + 1);
        const bool taken = set ? (mask & ~v) == 0 : (mask & v) == 0;
        branchIf(c, taken, p + 2, c.in(p + 2));
    }

    template <Mode M, bool set>
    KORVEX_INLINE static void bitChange(Cpu& c)
    {
        const int32_t a = ea<M>(c);
        const uint8_t v = c.read(a);
        const uint8_t mask = c.in(p + 1);
        c.write(a, move8(c, static_cast<uint8_t>(set ? v | mask : v & ~mask)));
        c.pc += static_cast<uint32_t>(p + 1);
    }

    KORVEX_INLINE static void call(Cpu& c, int len, uint32_t target)
    {
        const uint32_t r = c.pc + static_cast<uint32_t>(len);
        push16(c, static_cast<uint16_t>(r));
        c.pc = target;
    }

    // The A-group ($80-$BF) and B-group ($C0-$FF): the low nibble selects the
    // operation, bits 4-5 the addressing mode.
    template <unsigned Op>
    KORVEX_INLINE static void group(Cpu& c)
    {
        constexpr Mode M = static_cast<Mode>((Op >> 4) & 3);
        constexpr unsigned lo = Op & 0xF;
        constexpr bool groupB = Op >= 0xC0;
        auto& acc = groupB ? c.b : c.a;
        constexpr int len8 = length<M>(false);
        constexpr int len16 = length<M>(true);

        if constexpr (lo == 0x0) {
            acc = sub8(c, acc, operand8<M>(c), 0);
        } else if constexpr (lo == 0x1) {
            sub8(c, acc, operand8<M>(c), 0);
        } else if constexpr (lo == 0x2) {
            const uint8_t m = operand8<M>(c);
            acc = sub8(c, acc, m, carryIn(c));
        } else if constexpr (lo == 0x3 && groupB) { // ADDD
            c.setD(add16(c, c.d(), operand16<M, M == Mode::Extended>(c)));
        } else if constexpr (lo == 0x3) { // SUBD / CPD
            const uint16_t r = sub16(c, c.d(), operand16<M>(c));
            if constexpr (!P::compareD)
                c.setD(r);
        } else if constexpr (lo == 0x4) {
            acc = move8(c, acc & operand8<M>(c));
        } else if constexpr (lo == 0x5) {
            move8(c, acc & operand8<M>(c));
        } else if constexpr (lo == 0x6) {
            acc = move8(c, operand8<M>(c));
        } else if constexpr (lo == 0x7) {
            static_assert(M != Mode::Immediate);
            c.write(ea<M>(c), move8(c, acc));
        } else if constexpr (lo == 0x8) {
            acc = move8(c, acc ^ operand8<M>(c));
        } else if constexpr (lo == 0x9) {
            const uint8_t m = operand8<M>(c);
            acc = add8(c, acc, m, carryIn(c));
        } else if constexpr (lo == 0xA) {
            acc = move8(c, acc | operand8<M>(c));
        } else if constexpr (lo == 0xB) {
            acc = add8(c, acc, operand8<M>(c), 0);
        } else if constexpr (lo == 0xC && groupB) { // LDD
            c.setD(move16(c, operand16<M>(c)));
        } else if constexpr (lo == 0xC) { // CPX / CPY
            sub16(c, static_cast<uint16_t>(wordReg(c)), operand16<M>(c));
        } else if constexpr (lo == 0xD && groupB) { // STD
            static_assert(M != Mode::Immediate);
            store16(c, ea<M>(c), move16(c, c.d()));
        } else if constexpr (lo == 0xD && M == Mode::Immediate) { // BSR
            const uint32_t r = c.pc + 2;
            call(c, 2, r + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c.in(2)))));
            return;
        } else if constexpr (lo == 0xD) { // JSR
            call(c, len8, static_cast<uint32_t>(ea<M>(c)));
            return;
        } else if constexpr (lo == 0xE && groupB) { // LDX / LDY
            wordReg(c) = move16(c, operand16<M>(c));
        } else if constexpr (lo == 0xE) { // LDS
            c.sp = move16(c, operand16<M>(c));
        } else if constexpr (lo == 0xF && M == Mode::Immediate && groupB) { // STOP
            if (c.ccr & FlagS)
                c.pc += 1;
            return;
        } else if constexpr (lo == 0xF && M == Mode::Immediate) { // XGDX / XGDY
            const uint16_t d = c.d();
            c.setD(static_cast<uint16_t>(wordReg(c)));
            wordReg(c) = d;
            c.pc += static_cast<uint32_t>(p - 1);
            return;
        } else if constexpr (lo == 0xF && groupB) { // STX / STY
            store16(c, ea<M>(c), move16(c, static_cast<uint16_t>(wordReg(c))));
        } else if constexpr (lo == 0xF) { // STS
            store16(c, ea<M>(c), move16(c, static_cast<uint16_t>(c.sp)));
        }
        constexpr bool wordImmediate = lo == 0x3 || lo == 0xC || lo == 0xE;
        c.pc += static_cast<uint32_t>(wordImmediate ? len16 : len8);
    }

    // One-operand instructions on memory ($60-$7F). CLR only writes, TST
    // only reads, INC reads its byte a second time before writing.
    template <Mode M, unsigned lo>
    KORVEX_INLINE static void memoryUnary(Cpu& c)
    {
        const int32_t a = ea<M>(c);
        if constexpr (lo == 0xF) {
            c.write(a, unary<lo>(c, 0, 0));
        } else if constexpr (lo == 0xD) {
            unary<lo>(c, c.read(a), 0);
        } else if constexpr (lo == 0xC) {
            const uint8_t x = c.read(a);
            const uint8_t again = c.read(a);
            c.write(a, unary<lo>(c, x, again));
        } else {
            const uint8_t x = c.read(a);
            c.write(a, unary<lo>(c, x, x));
        }
        c.pc += static_cast<uint32_t>(length<M>(false));
    }

    template <unsigned Op>
    KORVEX_INLINE static void exec(Cpu& c)
    {
        constexpr unsigned hi = Op >> 4, lo = Op & 0xF;
        constexpr uint32_t inherent = p - 1;

        if constexpr (!isDefined(Page, Op)) {
            // TEST and undefined opcodes: nothing at all, not even PC.
        } else if constexpr (Op >= 0x80) {
            group<Op>(c);
        } else if constexpr (hi == 4 || hi == 5) {
            auto& acc = hi == 4 ? c.a : c.b;
            acc = unary<lo>(c, acc, acc);
            c.pc += inherent;
        } else if constexpr (Op == 0x6E || Op == 0x7E) { // JMP
            c.pc = static_cast<uint32_t>(ea<(Op == 0x6E ? Mode::Indexed : Mode::Extended)>(c));
        } else if constexpr (hi == 6 || hi == 7) {
            memoryUnary<hi == 6 ? Mode::Indexed : Mode::Extended, lo>(c);
        } else if constexpr (hi == 2) {
            branchIf(c, condition(lo, c.ccr), 2, c.in(2));
        } else if constexpr (Op == 0x12 || Op == 0x13) {
            bitBranch<Mode::Direct, Op == 0x12>(c);
        } else if constexpr (Op == 0x1E || Op == 0x1F) {
            bitBranch<Mode::Indexed, Op == 0x1E>(c);
        } else if constexpr (Op == 0x14 || Op == 0x15) {
            bitChange<Mode::Direct, Op == 0x14>(c);
        } else if constexpr (Op == 0x1C || Op == 0x1D) {
            bitChange<Mode::Indexed, Op == 0x1C>(c);
        } else if constexpr (Op == 0x39) { // RTS
            c.pc = pull16(c);
        } else if constexpr (Op == 0x3B) { // RTI
            c.ccr = pull8(c);
            c.b = pull8(c);
            c.a = pull8(c);
            c.ix = pull16(c);
            c.iy = pull16(c);
            c.pc = pull16(c);
        } else {
            if constexpr (Op == 0x01 || Op == 0x3E || Op == 0x3F) {
                // NOP; WAI and SWI model no interrupts and act as NOP.
            } else if constexpr (Op == 0x02) {
                idiv(c);
            } else if constexpr (Op == 0x03) {
                fdiv(c);
            } else if constexpr (Op == 0x04) { // LSRD
                const uint16_t d = c.d();
                c.setD(shifted16(c, static_cast<uint16_t>(d >> 1), d & 1));
            } else if constexpr (Op == 0x05) { // ASLD
                const uint16_t d = c.d();
                c.setD(shifted16(c, static_cast<uint16_t>(d << 1), d & 0x8000));
            } else if constexpr (Op == 0x06) { // TAP: X cannot be changed this way
                c.ccr = static_cast<uint8_t>((c.a & ~FlagX) | (c.ccr & FlagX));
            } else if constexpr (Op == 0x07) { // TPA
                c.a = c.ccr;
            } else if constexpr (Op == 0x08 || Op == 0x09) { // INX/INY, DEX/DEY
                auto& r = wordReg(c);
                r += Op == 0x08 ? 1 : -1;
                setFlags(c, FlagZ, (r & 0xFFFF) == 0 ? FlagZ : 0);
            } else if constexpr (Op >= 0x0A && Op <= 0x0F) { // CLV SEV CLC SEC CLI SEI
                constexpr uint8_t bit = Op <= 0x0B ? FlagV : Op <= 0x0D ? FlagC : FlagI;
                setFlags(c, bit, (Op & 1) ? bit : 0);
            } else if constexpr (Op == 0x10) { // SBA
                c.a = sub8(c, c.a, c.b, 0);
            } else if constexpr (Op == 0x11) { // CBA
                sub8(c, c.a, c.b, 0);
            } else if constexpr (Op == 0x16) { // TAB
                c.b = move8(c, c.a);
            } else if constexpr (Op == 0x17) { // TBA
                c.a = move8(c, c.b);
            } else if constexpr (Op == 0x19) {
                daa(c);
            } else if constexpr (Op == 0x1B) { // ABA
                c.a = add8(c, c.a, c.b, 0);
            } else if constexpr (Op == 0x30) { // TSX / TSY
                wordReg(c) = c.sp + 1;
            } else if constexpr (Op == 0x31) { // INS
                c.sp += 1;
            } else if constexpr (Op == 0x32) {
                c.a = pull8(c);
            } else if constexpr (Op == 0x33) {
                c.b = pull8(c);
            } else if constexpr (Op == 0x34) { // DES
                c.sp -= 1;
            } else if constexpr (Op == 0x35) { // TXS / TYS
                c.sp = wordReg(c) - 1;
            } else if constexpr (Op == 0x36) {
                push8(c, c.a);
            } else if constexpr (Op == 0x37) {
                push8(c, c.b);
            } else if constexpr (Op == 0x38) { // PULX / PULY
                wordReg(c) = pull16(c);
            } else if constexpr (Op == 0x3A) { // ABX / ABY
                wordReg(c) += c.b;
            } else if constexpr (Op == 0x3C) { // PSHX / PSHY
                push16(c, static_cast<uint16_t>(wordReg(c)));
            } else if constexpr (Op == 0x3D) { // MUL
                const auto r = static_cast<uint16_t>(c.a * c.b);
                c.setD(r);
                setFlags(c, FlagC, (r & 0x80) ? FlagC : 0);
            } else {
                static_assert(Op == 0x3D, "opcode without a handler");
            }
            c.pc += inherent;
        }
    }
};

} // namespace korvex
