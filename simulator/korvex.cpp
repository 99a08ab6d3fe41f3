// The C interface of libkorvex.so and the opcode dispatch behind korvexStep.
//
// Dispatch is a 256-case switch per page, inlined into korvexStep and
// korvexExecute (one copy for each register view, see Cpu.h): each case
// is the handler specialised for that opcode (Instructions.h), so the
// compiler turns the switch into a direct jump table on the opcode byte.
#include "korvex.h"

#include "Cpu.h"
#include "Instructions.h"

#include <array>
#include <cstddef>
#include <new>
#include <utility>

struct KorvexInstance {
    korvex::MemoryPort port;
    uint32_t pc = 0;
};

namespace korvex {
namespace {

template <unsigned Page, class Cpu>
void dispatch(Cpu& c, uint8_t op);

template <unsigned Page, unsigned Op, class Cpu>
[[gnu::always_inline]] inline void handle(Cpu& c)
{
    if constexpr (Page == 0 && (Op == 0x18 || Op == 0x1A || Op == 0xCD))
        dispatch<Op>(c, c.in(2));
    else
        Ops<Page, Cpu>::template exec<Op>(c);
}

#define KORVEX_CASE(n) \
    case (n): handle<Page, (n)>(c); break;
#define KORVEX_CASE16(h)                                                                     \
    KORVEX_CASE(h + 0x0) KORVEX_CASE(h + 0x1) KORVEX_CASE(h + 0x2) KORVEX_CASE(h + 0x3)     \
    KORVEX_CASE(h + 0x4) KORVEX_CASE(h + 0x5) KORVEX_CASE(h + 0x6) KORVEX_CASE(h + 0x7)     \
    KORVEX_CASE(h + 0x8) KORVEX_CASE(h + 0x9) KORVEX_CASE(h + 0xA) KORVEX_CASE(h + 0xB)     \
    KORVEX_CASE(h + 0xC) KORVEX_CASE(h + 0xD) KORVEX_CASE(h + 0xE) KORVEX_CASE(h + 0xF)

template <unsigned Page, class Cpu>
[[gnu::always_inline]] inline void dispatch(Cpu& c, uint8_t op)
{
    switch (op) {
        KORVEX_CASE16(0x00) KORVEX_CASE16(0x10) KORVEX_CASE16(0x20) KORVEX_CASE16(0x30)
        KORVEX_CASE16(0x40) KORVEX_CASE16(0x50) KORVEX_CASE16(0x60) KORVEX_CASE16(0x70)
        KORVEX_CASE16(0x80) KORVEX_CASE16(0x90) KORVEX_CASE16(0xA0) KORVEX_CASE16(0xB0)
        KORVEX_CASE16(0xC0) KORVEX_CASE16(0xD0) KORVEX_CASE16(0xE0) KORVEX_CASE16(0xF0)
    }
}

#undef KORVEX_CASE16
#undef KORVEX_CASE

// korvexExecute dispatches through one table of handler functions per page
// instead: the handler is reached by a jump from the entry (a tail call with
// the entry's own arguments), so the entry saves no registers and each
// handler saves only what its own instruction needs.
using ExecuteFn = void (*)(const MemoryPort& port, KorvexRegisters* r, const uint8_t* code);

template <unsigned Page, unsigned Op>
void executeOne(const MemoryPort& port, KorvexRegisters* r, const uint8_t* code);

template <unsigned Page, size_t... Op>
constexpr std::array<ExecuteFn, 256> executeTable(std::index_sequence<Op...>)
{
    return {&executeOne<Page, static_cast<unsigned>(Op)>...};
}

template <unsigned Page>
constexpr std::array<ExecuteFn, 256> executeHandlers = executeTable<Page>(std::make_index_sequence<256>{});

template <unsigned Page, unsigned Op>
void executeOne(const MemoryPort& port, KorvexRegisters* r, const uint8_t* code)
{
    if constexpr (Page == 0 && (Op == 0x18 || Op == 0x1A || Op == 0xCD)) {
        executeHandlers<Op>[code[1]](port, r, code);
    } else {
        RecordCpu c(r->a, r->b, r->ccr, r->ix, r->iy, r->sp, port, r->pc, code);
        Ops<Page, RecordCpu>::template exec<Op>(c);
        r->pc = static_cast<uint16_t>(c.pc);
    }
}

// A missing register reads as 0 and its result goes nowhere: stand-ins
// take its place. Kept out of line so the common path stays short.
[[gnu::noinline, gnu::cold]] void stepWithMissingRegisters(KorvexInstance* k, int16_t* acca,
                                                           int16_t* accb, int32_t* ix, int32_t* iy,
                                                           int32_t* sp, int16_t* ccr, int16_t i1,
                                                           int16_t i2, int16_t i3, int16_t i4,
                                                           int16_t i5)
{
    int16_t noA = 0, noB = 0, noCcr = 0;
    int32_t noIx = 0, noIy = 0, noSp = 0;
    korvexStep(k, acca ? acca : &noA, accb ? accb : &noB, ix ? ix : &noIx, iy ? iy : &noIy,
               sp ? sp : &noSp, ccr ? ccr : &noCcr, i1, i2, i3, i4, i5);
}

const char aboutText[] = "Korvex 68HC11 Simulator\nVersion 1.0";
const char versionText[] = "1.0";

} // namespace
} // namespace korvex

extern "C" {

KorvexInstance* korvexCreate(void)
{
    return new (std::nothrow) KorvexInstance();
}

void korvexDestroy(KorvexInstance* k)
{
    delete k;
}

void korvexSetCallbacks(KorvexInstance* k, KorvexReadMemory read, KorvexWriteMemory write,
                        void* user)
{
    if (!k)
        return;
    k->port.readFn = read ? read : korvex::readNothing;
    k->port.writeFn = write ? write : korvex::writeNothing;
    k->port.user = user;
}

void korvexSetDirectMemory(KorvexInstance* k, uint8_t* image, const uint8_t* viaCallbacks)
{
    if (!k)
        return;
    k->port.image = image;
    if (!image)
        k->port.setAllViaCallbacks();
    else
        for (int page = 0; page < 256; ++page)
            k->port.viaCallbacks[page] = viaCallbacks && viaCallbacks[page] ? 1 : 0;
}

void korvexStep(KorvexInstance* k, int16_t* acca, int16_t* accb, int32_t* ix, int32_t* iy,
                int32_t* sp, int16_t* ccr, int16_t instr1, int16_t instr2, int16_t instr3,
                int16_t instr4, int16_t instr5)
{
    if (!k)
        return;
    if (!acca || !accb || !ix || !iy || !sp || !ccr) [[unlikely]] {
        korvex::stepWithMissingRegisters(k, acca, accb, ix, iy, sp, ccr, instr1, instr2, instr3,
                                         instr4, instr5);
        return;
    }
    // Only the low byte of A, B, CCR and the low 16 bits of IX, IY, SP count,
    // and they come back reduced even when the instruction leaves them alone.
    // Reducing in place once lets the instruction work on the host's
    // variables directly; a well-behaved host never takes this branch.
    if (((*acca | *accb | *ccr) & 0xFF00) != 0 ||
        (static_cast<uint32_t>(*ix | *iy | *sp) >> 16) != 0) [[unlikely]] {
        *acca &= 0xFF;
        *accb &= 0xFF;
        *ccr &= 0xFF;
        *ix &= 0xFFFF;
        *iy &= 0xFFFF;
        *sp &= 0xFFFF;
    }
    const uint8_t code[5] = {static_cast<uint8_t>(instr1), static_cast<uint8_t>(instr2),
                             static_cast<uint8_t>(instr3), static_cast<uint8_t>(instr4),
                             static_cast<uint8_t>(instr5)};
    korvex::StepCpu c(*acca, *accb, *ccr, *ix, *iy, *sp, k->port, k->pc, code);

    korvex::dispatch<0>(c, code[0]);

    k->pc = c.pc;
}

void korvexExecute(KorvexInstance* k, KorvexRegisters* regs, const uint8_t* code)
{
    if (!k || !regs || !code) [[unlikely]]
        return;
    korvex::executeHandlers<0>[code[0]](k->port, regs, code);
}

void korvexSetPC(KorvexInstance* k, int32_t pc)
{
    if (k)
        k->pc = static_cast<uint32_t>(pc);
}

int32_t korvexGetPC(const KorvexInstance* k)
{
    return k ? static_cast<int32_t>(k->pc) : 0;
}

const char* korvexAboutText(void)
{
    return korvex::aboutText;
}

const char* korvexVersion(void)
{
    return korvex::versionText;
}

} // extern "C"
