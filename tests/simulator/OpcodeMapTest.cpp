// Steps every opcode of page 1 and of the prefix pages $18, $1A and $CD.
// The test's own copy of the opcode map gives each instruction's length:
// a defined instruction must move the program counter by exactly that
// length (or to its jump target), an undefined one must change nothing at
// all and raise no memory event.
#include "OpcodeLengths.h"
#include "StepHarness.h"

namespace korvextest {
namespace {

// The registers and memory every opcode is stepped with; operand bytes are
// all 0, so branches fall through to PC + length and jumps go to fixed
// places.
constexpr int32_t startPc = 0x4000;
const Regs startRegs{.a = 0x5A, .b = 0x3C, .ccr = S | H, .ix = 0x1200, .iy = 0x3400, .sp = 0x0100};

void fillMemory(Host& host)
{
    for (int i = 0; i < 0x10000; ++i)
        host.mem[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
}

// Program counter after stepping page-1 opcode op (or prefix page, second
// byte op) with the start state, or -1 when the length alone decides.
int32_t jumpTarget(int page, int op)
{
    if (page == 0) {
        switch (op) {
        case 0x6E: return startRegs.ix;  // JMP 0,X
        case 0x7E: return 0x0000;        // JMP $0000
        case 0x9D: return 0x0000;        // JSR $00
        case 0xAD: return startRegs.ix;  // JSR 0,X
        case 0xBD: return 0x0000;        // JSR $0000
        case 0x39: return 0x0102;        // RTS: bytes at $0101, $0102
        case 0x3B: return 0x0809;        // RTI: PC from $0108, $0109
        default: return -1;
        }
    }
    if (page == 0x18 && (op == 0x6E || op == 0xAD))
        return startRegs.iy;
    return -1;
}

struct StepResult {
    Regs regs;
    int32_t pc;
    size_t events;
};

StepResult stepOnce(const std::vector<int>& code)
{
    Host host;
    fillMemory(host);
    host.cpu.setPC(startPc);
    Regs r = startRegs;
    host.step(r, code);
    return {r, host.cpu.pc(), host.events.size()};
}

void checkOpcode(int page, int op, int length)
{
    SCOPED_TRACE(testing::Message() << "page $" << std::hex << page << " opcode $" << op);
    std::vector<int> code = page == 0 ? std::vector<int>{op, 0, 0, 0, 0}
                                      : std::vector<int>{page, op, 0, 0, 0};
    const StepResult res = stepOnce(code);
    if (length == 0) {
        EXPECT_EQ(res.regs, startRegs);
        EXPECT_EQ(res.pc, startPc);
        EXPECT_EQ(res.events, 0u);
        return;
    }
    const int32_t target = jumpTarget(page, op);
    EXPECT_EQ(res.pc, target >= 0 ? target : startPc + length);
    EXPECT_GE(res.regs.a, 0);
    EXPECT_LE(res.regs.a, 255);
    EXPECT_GE(res.regs.b, 0);
    EXPECT_LE(res.regs.b, 255);
    EXPECT_GE(res.regs.ccr, 0);
    EXPECT_LE(res.regs.ccr, 255);
}

TEST(KorvexOpcodeMap, EveryPage1Opcode)
{
    int defined = 0;
    for (int op = 0; op < 256; ++op) {
        const char len = page1Lengths[op];
        if (len == 'P')
            continue;
        defined += len != '0';
        checkOpcode(0, op, len - '0');
    }
    // 256 minus 20 undefined, TEST and the three prefixes.
    EXPECT_EQ(defined, 232);
}

TEST(KorvexOpcodeMap, EveryPage18Opcode)
{
    for (int op = 0; op < 256; ++op)
        checkOpcode(0x18, op, prefixedLength(0x18, op));
}

TEST(KorvexOpcodeMap, EveryPage1AOpcode)
{
    for (int op = 0; op < 256; ++op)
        checkOpcode(0x1A, op, prefixedLength(0x1A, op));
}

TEST(KorvexOpcodeMap, EveryPageCDOpcode)
{
    for (int op = 0; op < 256; ++op)
        checkOpcode(0xCD, op, prefixedLength(0xCD, op));
}

// A prefix page repeats its page-1 instruction with the other index
// register: the same operation on the same data gives the same result.
TEST(KorvexOpcodeMap, Page18MirrorsPage1WithIY)
{
    for (int op = 0; op < 256; ++op) {
        if (prefixedLength(0x18, op) == 0 || op == 0x6E || op == 0xAD || op == 0x1E || op == 0x1F)
            continue;
        SCOPED_TRACE(testing::Message() << "opcode $" << std::hex << op);
        Host x, y;
        fillMemory(x);
        fillMemory(y);
        x.cpu.setPC(0);
        y.cpu.setPC(0);
        Regs rx{.a = 0x81, .b = 0x7F, .ccr = C, .ix = 0x2345, .iy = 0x0000, .sp = 0x0200};
        Regs ry{.a = 0x81, .b = 0x7F, .ccr = C, .ix = 0x0000, .iy = 0x2345, .sp = 0x0200};
        x.step(rx, {op, 0x21, 0x43, 0x65, 0x87});
        y.step(ry, {0x18, op, 0x21, 0x43, 0x65});
        std::swap(ry.ix, ry.iy);
        EXPECT_EQ(rx, ry);
        EXPECT_EQ(x.events, y.events);
        EXPECT_EQ(x.mem, y.mem);
    }
}

} // namespace
} // namespace korvextest
