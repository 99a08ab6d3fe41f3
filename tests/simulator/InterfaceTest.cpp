// The C interface of libkorvex.so at its edges: null handle, null callbacks,
// null register pointers, the upper bytes of the arguments, the value cell of
// a read, the user pointer, the program counter, and the identity strings.
#include "StepHarness.h"

#include "korvex.h"

#include <cstring>

namespace korvextest {
namespace {

struct Recorder {
    std::vector<Event> events;
    std::vector<int16_t> cellOnEntry;
};

void recordUntouched(void* user, int32_t address, int16_t* value)
{
    auto* rec = static_cast<Recorder*>(user);
    rec->cellOnEntry.push_back(*value);
    rec->events.push_back(R(address, -1));
}

void recordWrite(void* user, int32_t address, int16_t value)
{
    static_cast<Recorder*>(user)->events.push_back(W(address, value));
}

TEST(KorvexInterface, NullHandleIsANoOp)
{
    int16_t a = 0x12, b = 0x34, ccr = 0x56;
    int32_t ix = 0x1111, iy = 0x2222, sp = 0x3333;
    korvexStep(nullptr, &a, &b, &ix, &iy, &sp, &ccr, 0x4C, 1, 1, 1, 1);
    korvexSetCallbacks(nullptr, recordUntouched, recordWrite, nullptr);
    korvexSetPC(nullptr, 0x1234);
    EXPECT_EQ(korvexGetPC(nullptr), 0);
    korvexDestroy(nullptr);
    EXPECT_EQ(a, 0x12);
    EXPECT_EQ(b, 0x34);
    EXPECT_EQ(ccr, 0x56);
    EXPECT_EQ(ix, 0x1111);
    EXPECT_EQ(iy, 0x2222);
    EXPECT_EQ(sp, 0x3333);
}

TEST(KorvexInterface, NoCallbacksReadLowByteOfAddressAndIgnoreWrites)
{
    KorvexInstance* k = korvexCreate();
    ASSERT_NE(k, nullptr);
    int16_t a = 0, b = 0, ccr = 0;
    int32_t ix = 0, iy = 0, sp = 0x00FF;
    korvexStep(k, &a, &b, &ix, &iy, &sp, &ccr, 0xB6, 0x12, 0x34, 1, 1); // LDAA $1234
    EXPECT_EQ(a, 0x34);
    korvexStep(k, &a, &b, &ix, &iy, &sp, &ccr, 0xFC, 0x12, 0xFF, 1, 1); // LDD $12FF
    EXPECT_EQ(a, 0xFF);
    EXPECT_EQ(b, 0x00);
    korvexStep(k, &a, &b, &ix, &iy, &sp, &ccr, 0x36, 1, 1, 1, 1); // PSHA: write ignored
    EXPECT_EQ(sp, 0x00FE);
    korvexDestroy(k);
}

TEST(KorvexInterface, NullCallbacksAfterRealOnesFallBack)
{
    Host host;
    host.mem[0x1234] = 0x99;
    host.cpu.setCallbacks(nullptr, nullptr, nullptr);
    Regs r;
    host.step(r, {0xB6, 0x12, 0x34});
    host.step(r, {0xB7, 0x12, 0x34});
    EXPECT_EQ(r.a, 0x34);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(host.mem[0x1234], 0x99);
}

TEST(KorvexInterface, UnansweredReadReturnsLowByteOfAddressSent)
{
    Korvex cpu;
    Recorder rec;
    cpu.setCallbacks(recordUntouched, recordWrite, &rec);
    int16_t a = 0, b = 0, ccr = 0;
    int32_t ix = 0xFFFF, iy = 0, sp = 0;
    cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, 0xB6, 0x12, 0x34, 1, 1); // LDAA $1234
    EXPECT_EQ(a, 0x34);
    cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, 0xF6, 0xFF, 0xFF, 1, 1); // LDAB $FFFF
    EXPECT_EQ(b, 0xFF);
    cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, 0xA6, 0x10, 1, 1, 1); // LDAA $10,X = $1000F -> $000F
    EXPECT_EQ(a, 0x0F);
    EXPECT_EQ(rec.cellOnEntry, (std::vector<int16_t>{0x1234, -1, 0x000F}));
    EXPECT_EQ(rec.events, (std::vector<Event>{R(0x1234, -1), R(0xFFFF, -1), R(0x000F, -1)}));
}

TEST(KorvexInterface, HostAnswerIsCutToEightBits)
{
    Korvex cpu;
    cpu.setCallbacks([](void*, int32_t, int16_t* v) { *v = 0x7F81; }, nullptr, nullptr);
    int16_t a = 0, b = 0, ccr = 0;
    int32_t ix = 0, iy = 0, sp = 0;
    cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, 0x96, 0x00, 1, 1, 1);
    EXPECT_EQ(a, 0x81);
    EXPECT_EQ(ccr, N);
}

TEST(KorvexInterface, UpperBytesIgnoredOnEntryAndReturnedAsZero)
{
    Host host;
    int16_t a = 0x1234, b = static_cast<int16_t>(0xFF80), ccr = 0x0101;
    int32_t ix = 0x12345678, iy = -1, sp = 0x7FFF0010;
    host.cpu.setPC(0x100);
    host.cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, 0x0101, 1, 1, 1, 1); // NOP with upper byte
    EXPECT_EQ(a, 0x34);
    EXPECT_EQ(b, 0x80);
    EXPECT_EQ(ccr, 0x01);
    EXPECT_EQ(ix, 0x5678);
    EXPECT_EQ(iy, 0xFFFF);
    EXPECT_EQ(sp, 0x0010);
    EXPECT_EQ(host.cpu.pc(), 0x101);
    // LDAA #$42 and ABA with every argument carrying an upper byte.
    host.cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, static_cast<int16_t>(0xAB86),
                  static_cast<int16_t>(0xFF42), 0x7701, 0x0101, 0x0101);
    EXPECT_EQ(a, 0x42);
    a = 0x0101;
    b = 0x0202;
    host.cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, 0x011B, 1, 1, 1, 1);
    EXPECT_EQ(a, 0x03);
    EXPECT_EQ(b, 0x02);
    // STX $10 stores the low 16 bits of IX only.
    ix = 0x0001ABCD;
    host.cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, 0xDF, 0x10, 1, 1, 1);
    EXPECT_EQ(host.mem[0x10], 0xAB);
    EXPECT_EQ(host.mem[0x11], 0xCD);
}

TEST(KorvexInterface, NullRegisterPointersReadZeroAndAreNotWritten)
{
    Host host;
    host.mem[0x0001] = 0x77;
    int16_t a = 0;
    int32_t ix = 0;
    // ABX with B missing: IX + 0.
    ix = 0x1000;
    host.cpu.Step(nullptr, nullptr, &ix, nullptr, nullptr, nullptr, 0x3A, 1, 1, 1, 1);
    EXPECT_EQ(ix, 0x1000);
    // TSX with SP missing: IX = 0 + 1.
    host.cpu.Step(nullptr, nullptr, &ix, nullptr, nullptr, nullptr, 0x30, 1, 1, 1, 1);
    EXPECT_EQ(ix, 0x0001);
    // PSHA with A and SP missing writes 0 at address 0.
    host.cpu.Step(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0x36, 1, 1, 1, 1);
    // LDAA 0,X reads the byte at IX = 0 when IX is missing.
    host.cpu.Step(&a, nullptr, nullptr, nullptr, nullptr, nullptr, 0xA6, 0x01, 1, 1, 1);
    EXPECT_EQ(a, 0x77);
    EXPECT_EQ(host.events, (std::vector<Event>{W(0x0000, 0x00), R(0x0001, 0x77)}));
}

TEST(KorvexInterface, UserPointerReachesItsOwnHost)
{
    Host first, second;
    first.mem[0x20] = 0x11;
    second.mem[0x20] = 0x22;
    Regs r1, r2;
    first.step(r1, {0x96, 0x20});
    second.step(r2, {0x96, 0x20});
    EXPECT_EQ(r1.a, 0x11);
    EXPECT_EQ(r2.a, 0x22);
    EXPECT_EQ(first.events.size(), 1u);
    EXPECT_EQ(second.events.size(), 1u);
}

TEST(KorvexInterface, ProgramCounterStartsAtZeroPersistsAndIsPerInstance)
{
    Host one, two;
    EXPECT_EQ(one.cpu.pc(), 0);
    one.cpu.setPC(0x1000);
    Regs r;
    one.step(r, {0x01});
    one.step(r, {0x86, 0x00});
    one.step(r, {0xCC, 0x00, 0x00});
    EXPECT_EQ(one.cpu.pc(), 0x1006);
    EXPECT_EQ(two.cpu.pc(), 0);
    two.cpu.setPC(0xFFFF);
    two.step(r, {0x01});
    EXPECT_EQ(two.cpu.pc(), 0x10000);
}

TEST(KorvexInterface, IndexWrapIsLeftToTheHost)
{
    Host host;
    Regs r{.ix = 0xFFFF};
    host.step(r, {0x08}); // INX
    EXPECT_EQ(r.ix & 0xFFFF, 0);
    EXPECT_TRUE(r.ccr & Z);
    r = Regs{.ccr = Z, .ix = 0};
    host.step(r, {0x09}); // DEX
    EXPECT_EQ(r.ix & 0xFFFF, 0xFFFF);
    EXPECT_FALSE(r.ccr & Z);
    // Handing the unreduced value back in behaves as its low 16 bits.
    r.ix = 0x10005;
    host.step(r, {0x09});
    EXPECT_EQ(r.ix, 0x0004);
}

TEST(KorvexInterface, IdentityStrings)
{
    EXPECT_STREQ(korvexVersion(), "1.0");
    const char* about = korvexAboutText();
    ASSERT_NE(about, nullptr);
    EXPECT_NE(std::strstr(about, "Korvex"), nullptr);
    EXPECT_NE(std::strstr(about, "1.0"), nullptr);
    EXPECT_STREQ(Korvex::aboutText(), about);
}

} // namespace
} // namespace korvextest
