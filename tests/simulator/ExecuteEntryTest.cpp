// korvexExecute, the register-record entry, against korvexStep: the same
// memory events, registers and program counter for every opcode of every
// page and for random states, only the instruction's own bytes read, the
// results reduced to 8 and 16 bits, Korvex's own PC left alone, and null
// arguments ignored.
#include "OpcodeLengths.h"
#include "StepHarness.h"

#include "korvex.h"

#include <memory>
#include <random>

namespace korvextest {
namespace {

// What one step did, as either entry reports it (registers reduced).
struct Outcome {
    Regs regs;
    int32_t pc = 0;
    std::vector<Event> events;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o)
{
    os << o.regs << " PC=" << std::hex << o.pc << " events:";
    for (const Event& e : o.events)
        os << ' ' << e;
    return os;
}

Regs reduced(Regs r)
{
    r.a &= 0xFF;
    r.b &= 0xFF;
    r.ccr &= 0xFF;
    r.ix &= 0xFFFF;
    r.iy &= 0xFFFF;
    r.sp &= 0xFFFF;
    return r;
}

// korvexStep with the bytes past the instruction passed as 1.
Outcome byStep(const std::array<uint8_t, 0x10000>& mem, Regs r, int32_t pc, const uint8_t* code,
               int length)
{
    Host host;
    host.mem = mem;
    host.cpu.setPC(pc);
    std::vector<int> bytes(code, code + length);
    host.step(r, bytes);
    return {reduced(r), host.cpu.pc() & 0xFFFF, host.events};
}

// korvexExecute with the instruction alone in a buffer of its own length,
// so that a read past its end is out of bounds (AddressSanitizer reports
// it in the sanitizer build).
Outcome byExecute(const std::array<uint8_t, 0x10000>& mem, Regs r, int32_t pc, const uint8_t* code,
                  int length)
{
    Host host;
    host.mem = mem;
    host.cpu.setPC(0x2468);
    auto own = std::make_unique<uint8_t[]>(static_cast<size_t>(length));
    std::copy(code, code + length, own.get());
    KorvexRegisters k{static_cast<uint8_t>(r.a),   static_cast<uint8_t>(r.b),
                      static_cast<uint8_t>(r.ccr), static_cast<uint16_t>(r.ix),
                      static_cast<uint16_t>(r.iy), static_cast<uint16_t>(r.sp),
                      static_cast<uint16_t>(pc)};
    host.cpu.execute(k, own.get());
    EXPECT_EQ(host.cpu.pc(), 0x2468) << "Korvex's own PC moved";
    return {Regs{k.a, k.b, k.ccr, k.ix, k.iy, k.sp}, k.pc, host.events};
}

// Bytes korvexExecute may read for page/op: the instruction's, or the
// opcode (and prefix) of an undefined one.
int bytesRead(int page, int op)
{
    const int length = instructionLength(page, op);
    return length > 0 ? length : page ? 2 : 1;
}

struct EntryState {
    const char* name;
    Regs regs;
    int32_t pc;
    uint8_t fill; // memory byte i is (i * 7 + fill) & 0xFF
};

const EntryState entryStates[] = {
    {"middle", {.a = 0x5A, .b = 0x3C, .ccr = S | H, .ix = 0x1200, .iy = 0x3400, .sp = 0x0100}, 0x4000, 0},
    {"carries", {.a = 0xFF, .b = 0x80, .ccr = C | V | N, .ix = 0xFFFF, .iy = 0x0000, .sp = 0x0000},
     0xFFFE, 0x33},
    {"top", {.a = 0x00, .b = 0x01, .ccr = Z | I | X, .ix = 0xFFF0, .iy = 0xFFFF, .sp = 0xFFFF}, 0x00FC, 0x81},
};

// Every opcode of every page, with operand bytes that reach the edges of
// the address space, from each state.
TEST(KorvexExecute, AgreesWithStepOnEveryOpcode)
{
    const int pages[] = {0, 0x18, 0x1A, 0xCD};
    const uint8_t operands[][4] = {{0x00, 0x00, 0x00, 0x00}, {0xFF, 0xFF, 0x80, 0x7F}, {0x60, 0x01, 0xA5, 0x03}};
    for (const EntryState& st : entryStates) {
        std::array<uint8_t, 0x10000> mem{};
        for (size_t i = 0; i < mem.size(); ++i)
            mem[i] = static_cast<uint8_t>(i * 7 + st.fill);
        for (int page : pages) {
            for (int op = 0; op < 256; ++op) {
                if (instructionLength(page, op) < 0)
                    continue;
                for (const auto& operand : operands) {
                    SCOPED_TRACE(testing::Message() << st.name << " page $" << std::hex << page << " opcode $"
                                                    << op << " operand $" << int(operand[0]));
                    const std::array<uint8_t, 5> code = opcodeBytes(page, op, operand);
                    const int length = bytesRead(page, op);
                    EXPECT_EQ(byExecute(mem, st.regs, st.pc, code.data(), length),
                              byStep(mem, st.regs, st.pc, code.data(), length));
                }
            }
        }
    }
}

// Random registers, memory and instruction bytes (weighted towards the
// prefix pages), as the randomized korvexStep test draws them.
TEST(KorvexExecute, AgreesWithStepOnRandomSteps)
{
    for (uint32_t seed : {5u, 6u, 20261208u}) {
        std::mt19937 rng(seed);
        auto byte = [&] { return static_cast<uint8_t>(rng() & 0xFF); };
        auto word = [&] { return edgeWord(rng); };
        std::array<uint8_t, 0x10000> mem{};
        for (auto& m : mem)
            m = byte();
        constexpr int prefixes[] = {0x18, 0x1A, 0xCD};
        for (int i = 0; i < 3000; ++i) {
            uint8_t code[5];
            for (auto& c : code)
                c = byte();
            if (rng() % 2 == 0)
                code[0] = static_cast<uint8_t>(prefixes[rng() % 3]);
            const bool prefixed = code[0] == 0x18 || code[0] == 0x1A || code[0] == 0xCD;
            const int length = prefixed ? bytesRead(code[0], code[1]) : bytesRead(0, code[0]);
            const Regs r{.a = byte(), .b = byte(), .ccr = byte(), .ix = word(), .iy = word(), .sp = word()};
            const int32_t pc = word();
            ASSERT_EQ(byExecute(mem, r, pc, code, length), byStep(mem, r, pc, code, length))
                << "seed " << seed << " step " << i;
        }
    }
}

struct EdgeRow {
    const char* name;
    std::vector<int> code;
    Regs before;
    int32_t pcBefore;
    Regs after;
    int32_t pcAfter;
};

// Results that korvexStep hands back beyond 16 bits arrive reduced here.
const EdgeRow edgeRows[] = {
    {"INX at FFFF", {0x08}, {.ix = 0xFFFF}, 0x1000, {.ccr = Z, .ix = 0}, 0x1001},
    {"DEY at 0", {0x18, 0x09}, {.iy = 0}, 0x1000, {.iy = 0xFFFF}, 0x1002},
    {"ABX past FFFF", {0x3A}, {.b = 0xFF, .ix = 0xFFFF}, 0x1000, {.b = 0xFF, .ix = 0x00FE}, 0x1001},
    {"PSHA at SP 0", {0x36}, {.a = 0x42, .sp = 0}, 0x1000, {.a = 0x42, .sp = 0xFFFF}, 0x1001},
    {"INS at FFFF", {0x31}, {.sp = 0xFFFF}, 0x1000, {.sp = 0}, 0x1001},
    {"NOP at FFFF", {0x01}, {}, 0xFFFF, {}, 0x0000},
    {"BRA forward past FFFF", {0x20, 0x10}, {}, 0xFFF8, {}, 0x000A},
    {"BRA back below 0", {0x20, 0x80}, {}, 0x0010, {}, 0xFF92},
};

TEST(KorvexExecute, ResultsArriveReducedToTheirWidths)
{
    for (const EdgeRow& row : edgeRows) {
        SCOPED_TRACE(row.name);
        Host host;
        Regs r = row.before;
        int32_t pc = row.pcBefore;
        host.execute(r, pc, row.code);
        EXPECT_EQ(r, row.after);
        EXPECT_EQ(pc, row.pcAfter);
    }
}

TEST(KorvexExecute, NullArgumentsAreANoOp)
{
    Host host;
    KorvexRegisters r{0x12, 0x34, 0x56, 0x1111, 0x2222, 0x3333, 0x4444};
    const uint8_t inca[] = {0x4C};
    const uint8_t ldaa[] = {0xB6, 0x10, 0x00};
    korvexExecute(nullptr, &r, inca);
    host.cpu.execute(r, nullptr);
    korvexExecute(nullptr, nullptr, ldaa);
    EXPECT_EQ((std::array<int, 7>{r.a, r.b, r.ccr, r.ix, r.iy, r.sp, r.pc}),
              (std::array<int, 7>{0x12, 0x34, 0x56, 0x1111, 0x2222, 0x3333, 0x4444}));
    EXPECT_TRUE(host.events.empty());
    // And the instance still works afterwards.
    host.mem[0x1000] = 0x99;
    host.cpu.execute(r, ldaa);
    EXPECT_EQ(r.a, 0x99);
    EXPECT_EQ(r.pc, 0x4447);
}

} // namespace
} // namespace korvextest
