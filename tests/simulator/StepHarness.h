// A test host for Korvex: a 64 KB memory image that answers the read and
// write callbacks and records every memory event in order, plus the table
// row type the instruction tests are written in.
#pragma once

#include "Korvex.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace korvextest {

struct Regs {
    int a = 0;
    int b = 0;
    int ccr = 0;
    int32_t ix = 0;
    int32_t iy = 0;
    int32_t sp = 0;
    bool operator==(const Regs&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Regs& r)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "A=%02X B=%02X CCR=%02X IX=%X IY=%X SP=%X", r.a, r.b, r.ccr,
                  static_cast<unsigned>(r.ix), static_cast<unsigned>(r.iy),
                  static_cast<unsigned>(r.sp));
    return os << buf;
}

struct Event {
    int32_t address = 0;
    int value = 0;
    bool write = false;
    bool operator==(const Event&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Event& e)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s($%04X,$%02X)", e.write ? "W" : "R",
                  static_cast<unsigned>(e.address), static_cast<unsigned>(e.value));
    return os << buf;
}

inline Event R(int32_t address, int value) { return {address, value, false}; }
inline Event W(int32_t address, int value) { return {address, value, true}; }

// A random 16-bit register value, within 3 of $0000 or of $FFFF as often
// as anywhere else in the range (rng: a standard random engine).
template <class Rng>
int32_t edgeWord(Rng& rng)
{
    switch (rng() % 4) {
    case 0: return static_cast<int32_t>(rng() % 4);
    case 1: return 0xFFFF - static_cast<int32_t>(rng() % 4);
    default: return static_cast<int32_t>(rng() & 0xFFFF);
    }
}

// The five bytes of opcode op on page (0, $18, $1A or $CD): the prefix if
// any, the opcode, then operand bytes as far as five reach.
inline std::array<uint8_t, 5> opcodeBytes(int page, int op, const uint8_t (&operand)[4])
{
    std::array<uint8_t, 5> code{};
    size_t n = 0;
    if (page)
        code[n++] = static_cast<uint8_t>(page);
    code[n++] = static_cast<uint8_t>(op);
    for (int i = 0; n < code.size(); ++i)
        code[n++] = operand[i];
    return code;
}

// Condition code bits, for readable tables.
enum : int { C = 0x01, V = 0x02, Z = 0x04, N = 0x08, I = 0x10, H = 0x20, X = 0x40, S = 0x80 };

class Host {
public:
    Host() { cpu.setCallbacks(&Host::onRead, &Host::onWrite, this); }

    std::array<uint8_t, 0x10000> mem{};
    std::vector<Event> events;
    Korvex cpu;

    // Steps one instruction; trailing bytes not given are passed as 1, as the
    // IDE does.
    void step(Regs& r, const std::vector<int>& code)
    {
        int16_t a = static_cast<int16_t>(r.a), b = static_cast<int16_t>(r.b),
                ccr = static_cast<int16_t>(r.ccr);
        int16_t in[5] = {1, 1, 1, 1, 1};
        for (size_t i = 0; i < code.size() && i < 5; ++i)
            in[i] = static_cast<int16_t>(code[i]);
        cpu.Step(&a, &b, &r.ix, &r.iy, &r.sp, &ccr, in[0], in[1], in[2], in[3], in[4]);
        r.a = a;
        r.b = b;
        r.ccr = ccr;
    }

    // The same step through korvexExecute on a register record, from and
    // to pc (Korvex's own program counter is left alone): the registers
    // come back reduced to their 8 and 16 bits.
    void execute(Regs& r, int32_t& pc, const std::vector<int>& code)
    {
        KorvexRegisters k{static_cast<uint8_t>(r.a),   static_cast<uint8_t>(r.b),
                          static_cast<uint8_t>(r.ccr), static_cast<uint16_t>(r.ix),
                          static_cast<uint16_t>(r.iy), static_cast<uint16_t>(r.sp),
                          static_cast<uint16_t>(pc)};
        uint8_t in[5] = {1, 1, 1, 1, 1};
        for (size_t i = 0; i < code.size() && i < 5; ++i)
            in[i] = static_cast<uint8_t>(code[i]);
        cpu.execute(k, in);
        r = Regs{k.a, k.b, k.ccr, k.ix, k.iy, k.sp};
        pc = k.pc;
    }

private:
    static void onRead(void* user, int32_t address, int16_t* value)
    {
        auto* h = static_cast<Host*>(user);
        const uint8_t v = h->mem[static_cast<uint16_t>(address)];
        h->events.push_back(R(address, v));
        *value = v;
    }
    static void onWrite(void* user, int32_t address, int16_t value)
    {
        auto* h = static_cast<Host*>(user);
        h->mem[static_cast<uint16_t>(address)] = static_cast<uint8_t>(value);
        h->events.push_back(W(address, value));
    }
};

// One instruction test: registers and memory before, the instruction bytes,
// registers, program counter and the exact memory events after.
struct Row {
    std::string name;
    std::vector<int> code;
    Regs before;
    std::vector<std::pair<int, int>> memory; // address, byte
    Regs after;
    std::vector<Event> events;
    int32_t pcBefore = 0x8000;
    int32_t pcAfter = 0;
};

inline std::ostream& operator<<(std::ostream& os, const Row& row) { return os << row.name; }

inline void runRow(const Row& row)
{
    Host host;
    for (const auto& [address, value] : row.memory)
        host.mem[static_cast<size_t>(address)] = static_cast<uint8_t>(value);
    host.cpu.setPC(row.pcBefore);
    Regs r = row.before;
    host.step(r, row.code);
    EXPECT_EQ(r, row.after);
    EXPECT_EQ(host.events, row.events);
    EXPECT_EQ(host.cpu.pc(), row.pcAfter);

    // The record entry gives the same results, reduced to 16 bits.
    Host second;
    for (const auto& [address, value] : row.memory)
        second.mem[static_cast<size_t>(address)] = static_cast<uint8_t>(value);
    second.cpu.setPC(0x1234);
    Regs rec = row.before;
    int32_t pc = row.pcBefore;
    second.execute(rec, pc, row.code);
    Regs reduced = row.after;
    reduced.ix &= 0xFFFF;
    reduced.iy &= 0xFFFF;
    reduced.sp &= 0xFFFF;
    EXPECT_EQ(rec, reduced) << "korvexExecute";
    EXPECT_EQ(second.events, row.events) << "korvexExecute";
    EXPECT_EQ(pc, row.pcAfter & 0xFFFF) << "korvexExecute";
    EXPECT_EQ(second.cpu.pc(), 0x1234) << "korvexExecute moved Korvex's own PC";
}

struct RowName {
    std::string operator()(const testing::TestParamInfo<Row>& info) const { return info.param.name; }
};

} // namespace korvextest
