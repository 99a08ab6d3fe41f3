// Direct memory access (korvexSetDirectMemory) against the callbacks alone:
// the same registers, program counter and memory afterwards, and exactly
// the callback events of the pages still routed to the callbacks, for
// every opcode and for random programs, through both entries; the wrap at
// $FFFF, page map changes and null arguments.
#include "OpcodeLengths.h"
#include "StepHarness.h"

#include "korvex.h"

#include <memory>
#include <random>

namespace korvextest {
namespace {

using Memory = std::array<uint8_t, 0x10000>;
using PageMap = std::array<uint8_t, 256>;

struct Result {
    KorvexRegisters regs{};
    std::vector<Event> events;
    Memory mem{};
};

bool sameRegisters(const KorvexRegisters& x, const KorvexRegisters& y)
{
    return x.a == y.a && x.b == y.b && x.ccr == y.ccr && x.ix == y.ix && x.iy == y.iy && x.sp == y.sp &&
           x.pc == y.pc;
}

std::string show(const KorvexRegisters& r)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "A=%02X B=%02X CCR=%02X IX=%04X IY=%04X SP=%04X PC=%04X", r.a, r.b, r.ccr,
                  r.ix, r.iy, r.sp, r.pc);
    return buf;
}

// One korvexExecute step; map null: callbacks only, never direct.
Result execute(const Memory& mem, KorvexRegisters regs, const uint8_t* code, const uint8_t* map, bool direct)
{
    auto h = std::make_unique<Host>();
    h->mem = mem;
    if (direct)
        h->cpu.setDirectMemory(h->mem.data(), map);
    h->cpu.execute(regs, code);
    return {regs, h->events, h->mem};
}

// The same step through korvexStep (Korvex's own PC as the step's).
Result step(const Memory& mem, KorvexRegisters regs, const uint8_t* code, const uint8_t* map, bool direct)
{
    auto h = std::make_unique<Host>();
    h->mem = mem;
    if (direct)
        h->cpu.setDirectMemory(h->mem.data(), map);
    h->cpu.setPC(regs.pc);
    int16_t a = regs.a, b = regs.b, ccr = regs.ccr;
    int32_t ix = regs.ix, iy = regs.iy, sp = regs.sp;
    h->cpu.Step(&a, &b, &ix, &iy, &sp, &ccr, code[0], code[1], code[2], code[3], code[4]);
    const KorvexRegisters out{static_cast<uint8_t>(a),   static_cast<uint8_t>(b),   static_cast<uint8_t>(ccr),
                              static_cast<uint16_t>(ix), static_cast<uint16_t>(iy), static_cast<uint16_t>(sp),
                              static_cast<uint16_t>(h->cpu.pc())};
    return {out, h->events, h->mem};
}

// The callback events a host with map still hears of.
std::vector<Event> onFlaggedPages(const std::vector<Event>& all, const uint8_t* map)
{
    std::vector<Event> kept;
    for (const Event& e : all)
        if (map && map[static_cast<uint16_t>(e.address) >> 8])
            kept.push_back(e);
    return kept;
}

void expectAgree(const Memory& mem, const KorvexRegisters& regs, const uint8_t* code, const uint8_t* map)
{
    for (auto entry : {&execute, &step}) {
        const Result viaCallbacks = entry(mem, regs, code, nullptr, false);
        const Result direct = entry(mem, regs, code, map, true);
        EXPECT_TRUE(sameRegisters(direct.regs, viaCallbacks.regs))
            << (entry == &execute ? "execute: " : "step: ") << show(direct.regs) << " vs " << show(viaCallbacks.regs);
        EXPECT_EQ(direct.events, onFlaggedPages(viaCallbacks.events, map));
        EXPECT_TRUE(direct.mem == viaCallbacks.mem) << "memory differs";
    }
}

// Page maps that cut the address space differently: none flagged, all
// flagged, the edges ($00, $FF) flagged, every other page.
std::vector<PageMap> pageMaps()
{
    std::vector<PageMap> maps(4);
    maps[0].fill(0);
    maps[1].fill(1);
    maps[2].fill(0);
    maps[2][0x00] = maps[2][0xFF] = maps[2][0x10] = 1;
    for (int p = 0; p < 256; ++p)
        maps[3][static_cast<size_t>(p)] = static_cast<uint8_t>(p & 1);
    return maps;
}

TEST(KorvexDirectMemory, AgreesWithCallbacksOnEveryOpcode)
{
    const int pages[] = {0, 0x18, 0x1A, 0xCD};
    const uint8_t operands[][4] = {{0x00, 0x00, 0x00, 0x00}, {0xFF, 0xFF, 0x80, 0x7F}, {0x10, 0xFF, 0xA5, 0x03}};
    const KorvexRegisters states[] = {
        {0x5A, 0x3C, 0xA0, 0x1200, 0x3400, 0x0100, 0x4000},
        {0xFF, 0x80, 0x0B, 0xFFFF, 0x0000, 0x0000, 0xFFFE},
        {0x00, 0x01, 0x54, 0xFFF0, 0xFFFF, 0xFFFF, 0x00FC},
    };
    Memory mem{};
    for (size_t i = 0; i < mem.size(); ++i)
        mem[i] = static_cast<uint8_t>(i * 7 + 0x33);
    for (const PageMap& map : pageMaps())
        for (const KorvexRegisters& regs : states)
            for (int page : pages)
                for (int op = 0; op < 256; ++op) {
                    if (instructionLength(page, op) < 0)
                        continue;
                    for (const auto& operand : operands) {
                        SCOPED_TRACE(testing::Message() << "map " << int(map[0]) << int(map[1]) << int(map[0xFF])
                                                        << " page $" << std::hex << page << " opcode $" << op
                                                        << " operand $" << int(operand[0]) << " " << show(regs));
                        expectAgree(mem, regs, opcodeBytes(page, op, operand).data(), map.data());
                    }
                }
}

// Random programs: random memory, registers, instruction bytes and page
// maps, a run of steps each from the state the last one left.
TEST(KorvexDirectMemory, AgreesWithCallbacksOnRandomPrograms)
{
    for (uint32_t seed : {11u, 12u, 20261208u}) {
        std::mt19937 rng(seed);
        auto byte = [&] { return static_cast<uint8_t>(rng() & 0xFF); };
        auto word = [&] { return static_cast<uint16_t>(edgeWord(rng)); };
        PageMap map{};
        for (auto& p : map)
            p = rng() % 3 == 0 ? static_cast<uint8_t>(1 + rng() % 255) : 0;
        auto viaCallbacks = std::make_unique<Host>();
        auto direct = std::make_unique<Host>();
        for (auto& m : viaCallbacks->mem)
            m = byte();
        direct->mem = viaCallbacks->mem;
        direct->cpu.setDirectMemory(direct->mem.data(), map.data());
        KorvexRegisters r{byte(), byte(), byte(), word(), word(), word(), word()};
        KorvexRegisters d = r;
        constexpr int prefixes[] = {0x18, 0x1A, 0xCD};
        for (int i = 0; i < 4000; ++i) {
            uint8_t code[5];
            for (auto& c : code)
                c = byte();
            if (rng() % 3 == 0)
                code[0] = static_cast<uint8_t>(prefixes[rng() % 3]);
            // Keep the stack and the index registers near the page edges.
            if (rng() % 8 == 0)
                r.sp = d.sp = word();
            viaCallbacks->events.clear();
            direct->events.clear();
            viaCallbacks->cpu.execute(r, code);
            direct->cpu.execute(d, code);
            ASSERT_TRUE(sameRegisters(d, r)) << "seed " << seed << " step " << i << ": " << show(d) << " vs " << show(r);
            ASSERT_EQ(direct->events, onFlaggedPages(viaCallbacks->events, map.data()))
                << "seed " << seed << " step " << i;
        }
        EXPECT_TRUE(direct->mem == viaCallbacks->mem) << "seed " << seed;
    }
}

struct WrapRow {
    const char* name;
    std::vector<int> code;
    KorvexRegisters before;
    std::vector<Event> events; // with only page $00 flagged
};

// Accesses that cross $FFFF: the byte past the top lands at $0000 (a
// flagged page here), the byte below it in the image.
const WrapRow wrapRows[] = {
    {"LDD extended at FFFF", {0xFC, 0xFF, 0xFF}, {.pc = 0x8000}, {R(0x0000, 0x5B)}},
    {"STD extended at FFFF", {0xFD, 0xFF, 0xFF}, {.a = 0x12, .b = 0x34, .pc = 0x8000}, {W(0x0000, 0x34)}},
    {"LDAA indexed past FFFF", {0xA6, 0x01}, {.ix = 0xFFFF, .pc = 0x8000}, {R(0x0000, 0x5B)}},
    {"PSHX at SP 0", {0x3C}, {.ix = 0xABCD, .sp = 0x0000, .pc = 0x8000}, {W(0x0000, 0xCD)}},
    {"PULX at SP FFFE", {0x38}, {.sp = 0xFFFE, .pc = 0x8000}, {R(0x0000, 0x5B)}},
};

TEST(KorvexDirectMemory, WrapsAtTheTopOfMemory)
{
    PageMap map{};
    map[0x00] = 1;
    for (const WrapRow& row : wrapRows) {
        SCOPED_TRACE(row.name);
        Memory mem{};
        mem[0x0000] = 0x5B;
        mem[0xFFFF] = 0xA7;
        uint8_t code[5] = {1, 1, 1, 1, 1};
        for (size_t i = 0; i < row.code.size(); ++i)
            code[i] = static_cast<uint8_t>(row.code[i]);
        const Result r = execute(mem, row.before, code, map.data(), true);
        EXPECT_EQ(r.events, row.events);
        expectAgree(mem, row.before, code, map.data());
    }
}

TEST(KorvexDirectMemory, PageMapChangesTakeEffectAndAreCopied)
{
    Host h;
    h.mem[0x1234] = 0x42;
    h.mem[0x5678] = 0x24;
    PageMap map{};
    map[0x12] = 1;
    h.cpu.setDirectMemory(h.mem.data(), map.data());
    map[0x12] = 0; // Korvex keeps its own copy
    map[0x56] = 1;
    const uint8_t ldaa1234[] = {0xB6, 0x12, 0x34};
    const uint8_t staa5678[] = {0xB7, 0x56, 0x78};
    KorvexRegisters r{.pc = 0x8000};
    h.cpu.execute(r, ldaa1234);
    EXPECT_EQ(r.a, 0x42);
    EXPECT_EQ(h.events, (std::vector<Event>{R(0x1234, 0x42)}));
    h.cpu.execute(r, staa5678);
    EXPECT_EQ(h.mem[0x5678], 0x42);
    EXPECT_EQ(h.events.size(), 1u) << "page $56 was not flagged when the map was handed over";

    // Handed over again: now page $56 goes to the callbacks, $12 does not.
    h.cpu.setDirectMemory(h.mem.data(), map.data());
    h.events.clear();
    h.cpu.execute(r, ldaa1234);
    h.cpu.execute(r, staa5678);
    EXPECT_EQ(h.events, (std::vector<Event>{W(0x5678, 0x42)}));
}

TEST(KorvexDirectMemory, NullArguments)
{
    const uint8_t ldaa1234[] = {0xB6, 0x12, 0x34};
    {
        // A null page map: no page goes to the callbacks.
        Host h;
        h.mem[0x1234] = 0x42;
        h.cpu.setDirectMemory(h.mem.data(), nullptr);
        KorvexRegisters r{};
        h.cpu.execute(r, ldaa1234);
        EXPECT_EQ(r.a, 0x42);
        EXPECT_TRUE(h.events.empty());
        // A null image: every byte to the callbacks again, whatever the map.
        PageMap none{};
        h.cpu.setDirectMemory(nullptr, none.data());
        h.cpu.execute(r, ldaa1234);
        EXPECT_EQ(h.events, (std::vector<Event>{R(0x1234, 0x42)}));
    }
    // A null instance ignores the call.
    uint8_t image[16] = {};
    korvexSetDirectMemory(nullptr, image, nullptr);
}

} // namespace
} // namespace korvextest
