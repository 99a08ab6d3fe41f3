// DAA: the decimal adjustment of A after a BCD addition. One row per line of
// the manual's DAA table (C, high digit, H, low digit -> correction, C), then
// every pair of two-digit decimal numbers added with ADDA, ADCA (carry clear
// and set) and ABA, checked against decimal arithmetic done here.
#include "StepHarness.h"

namespace korvextest {
namespace {

class DaaTable : public testing::TestWithParam<Row> {};
TEST_P(DaaTable, Executes) { runRow(GetParam()); }
INSTANTIATE_TEST_SUITE_P(KorvexDecimalAdjust, DaaTable, testing::Values(
    // C=0, high 0-9, H=0, low 0-9: nothing to add.
    Row{.name = "digitsValid", .code = {0x19}, .before = {.a = 0x45}, .after = {.a = 0x45}, .pcAfter = 0x8001},
    // C=0, high 0-8, H=0, low A-F: $06.
    Row{.name = "lowAboveNine", .code = {0x19}, .before = {.a = 0x0B}, .after = {.a = 0x11}, .pcAfter = 0x8001},
    // C=0, high 0-9, H=1, low 0-3: $06; H itself is left set.
    Row{.name = "halfCarry", .code = {0x19}, .before = {.a = 0x92, .ccr = H},
        .after = {.a = 0x98, .ccr = H | N}, .pcAfter = 0x8001},
    // C=0, high A-F, H=0, low 0-9: $60, C set.
    Row{.name = "highAboveNine", .code = {0x19}, .before = {.a = 0xA5}, .after = {.a = 0x05, .ccr = C},
        .pcAfter = 0x8001},
    // C=0, high 9-F, H=0, low A-F: $66, C set.
    Row{.name = "bothAboveNine", .code = {0x19}, .before = {.a = 0x9C}, .after = {.a = 0x02, .ccr = C},
        .pcAfter = 0x8001},
    Row{.name = "bothAboveNineToZero", .code = {0x19}, .before = {.a = 0x9A, .ccr = N},
        .after = {.a = 0x00, .ccr = Z | C}, .pcAfter = 0x8001},
    // C=0, high A-F, H=1, low 0-3: $66, C set.
    Row{.name = "highAboveNineHalfCarry", .code = {0x19}, .before = {.a = 0xF1, .ccr = H},
        .after = {.a = 0x57, .ccr = H | C}, .pcAfter = 0x8001},
    // C=1, high 0-2, H=0, low 0-9: $60, C stays set.
    Row{.name = "carry", .code = {0x19}, .before = {.a = 0x25, .ccr = C}, .after = {.a = 0x85, .ccr = N | C},
        .pcAfter = 0x8001},
    // C=1, high 0-2, H=0, low A-F: $66.
    Row{.name = "carryLowAboveNine", .code = {0x19}, .before = {.a = 0x1B, .ccr = C},
        .after = {.a = 0x81, .ccr = N | C}, .pcAfter = 0x8001},
    // C=1, high 0-3, H=1, low 0-3: $66.
    Row{.name = "carryHalfCarry", .code = {0x19}, .before = {.a = 0x30, .ccr = C | H},
        .after = {.a = 0x96, .ccr = N | H | C}, .pcAfter = 0x8001},
    // V is undefined after DAA: it keeps whatever it was, set or clear; so
    // do S, X, I and B, IX, IY, SP.
    Row{.name = "keepsVSet", .code = {0x19}, .before = {.a = 0x0A, .b = 7, .ccr = S | X | I | V, .ix = 1, .iy = 2, .sp = 3},
        .after = {.a = 0x10, .b = 7, .ccr = S | X | I | V, .ix = 1, .iy = 2, .sp = 3}, .pcAfter = 0x8001},
    Row{.name = "keepsVClear", .code = {0x19}, .before = {.a = 0xAA, .ccr = N | Z},
        .after = {.a = 0x10, .ccr = C}, .pcAfter = 0x8001}
), RowName());

int bcd(int n) { return (n / 10) << 4 | n % 10; }

struct AddForm {
    const char* name;
    bool useB;        // ABA adds B; the others add the immediate operand
    int opcode;
    int carryIn;      // C before the addition (ADCA adds it)
    bool addsCarry;
};

// Every valid BCD input pair, added and adjusted: A must hold the two low
// decimal digits of the sum and C its hundreds digit; N and Z follow A;
// V and H are those the addition left.
TEST(KorvexDecimalAdjust, EveryBcdPairAfterEachAddition)
{
    const AddForm forms[] = {
        {"ADDA", false, 0x8B, 0, false},
        {"ADDA_carrySetIgnored", false, 0x8B, C, false},
        {"ADCA_carryClear", false, 0x89, 0, true},
        {"ADCA_carrySet", false, 0x89, C, true},
        {"ABA", true, 0x1B, 0, false},
    };
    Host host;
    int halfCarries = 0, carries = 0;
    for (const AddForm& form : forms) {
        for (int x = 0; x < 100; ++x) {
            for (int y = 0; y < 100; ++y) {
                Regs r{.a = bcd(x), .b = form.useB ? bcd(y) : 0x5A, .ccr = form.carryIn};
                host.cpu.setPC(0x8000);
                if (form.useB)
                    host.step(r, {form.opcode});
                else
                    host.step(r, {form.opcode, bcd(y)});
                const int afterAdd = r.ccr;
                halfCarries += (afterAdd & H) != 0;
                host.step(r, {0x19});

                const int sum = x + y + (form.addsCarry && form.carryIn ? 1 : 0);
                const int expectedA = bcd(sum % 100);
                int expectedCcr = (afterAdd & (H | V)) | (sum >= 100 ? C : 0);
                expectedCcr |= (expectedA & 0x80) ? N : 0;
                expectedCcr |= expectedA == 0 ? Z : 0;
                carries += sum >= 100;
                if (r.a != expectedA || r.ccr != expectedCcr) {
                    ADD_FAILURE() << form.name << " " << x << " + " << y << ": A=$" << std::hex << r.a
                                  << " CCR=$" << r.ccr << ", expected A=$" << expectedA << " CCR=$"
                                  << expectedCcr;
                    return;
                }
                EXPECT_EQ(r.b, form.useB ? bcd(y) : 0x5A);
            }
        }
    }
    EXPECT_TRUE(host.events.empty());
    // The pairs do reach every line of the table: with and without half
    // carry, with and without carry out.
    EXPECT_GT(halfCarries, 0);
    EXPECT_GT(carries, 0);
}

// The example every BCD program depends on: $01 + $09 gives $10.
TEST(KorvexDecimalAdjust, OnePlusNineIsTen)
{
    Host host;
    host.cpu.setPC(0x8000);
    Regs r{.a = 0x01};
    host.step(r, {0x8B, 0x09});
    host.step(r, {0x19});
    EXPECT_EQ(r.a, 0x10);
    EXPECT_EQ(host.cpu.pc(), 0x8003);
    EXPECT_EQ(r.ccr & (C | Z | N), 0);
}

} // namespace
} // namespace korvextest
