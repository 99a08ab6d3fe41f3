// Branches, bit test and branch, bit set/clear, jumps, calls, returns, the
// stack instructions and the special instructions (SWI, WAI, STOP, TEST),
// with the control's own program counter, and addresses wrapping at the top
// of memory.
#include "StepHarness.h"

namespace korvextest {
namespace {

// Every conditional branch, taken and not taken. The offset $10 lands at
// $8012 when taken, $8002 otherwise.
struct BranchCase {
    const char* name;
    int opcode;
    int ccr;
    bool taken;
};

class Branch : public testing::TestWithParam<BranchCase> {};
TEST_P(Branch, FollowsCondition)
{
    const BranchCase& t = GetParam();
    runRow(Row{.name = t.name, .code = {t.opcode, 0x10}, .before = {.ccr = t.ccr},
               .after = {.ccr = t.ccr}, .pcAfter = t.taken ? 0x8012 : 0x8002});
}
INSTANTIATE_TEST_SUITE_P(KorvexControlFlow, Branch, testing::Values(
    BranchCase{"BRA", 0x20, 0, true},
    BranchCase{"BRN", 0x21, 0xFF, false},
    BranchCase{"BHI_taken", 0x22, N | V, true},
    BranchCase{"BHI_carry", 0x22, C, false},
    BranchCase{"BHI_zero", 0x22, Z, false},
    BranchCase{"BLS_carry", 0x23, C, true},
    BranchCase{"BLS_zero", 0x23, Z, true},
    BranchCase{"BLS_not", 0x23, N | V, false},
    BranchCase{"BCC_taken", 0x24, Z, true},
    BranchCase{"BCC_not", 0x24, C, false},
    BranchCase{"BCS_taken", 0x25, C, true},
    BranchCase{"BCS_not", 0x25, 0, false},
    BranchCase{"BNE_taken", 0x26, C, true},
    BranchCase{"BNE_not", 0x26, Z, false},
    BranchCase{"BEQ_taken", 0x27, Z, true},
    BranchCase{"BEQ_not", 0x27, 0, false},
    BranchCase{"BVC_taken", 0x28, N, true},
    BranchCase{"BVC_not", 0x28, V, false},
    BranchCase{"BVS_taken", 0x29, V, true},
    BranchCase{"BVS_not", 0x29, 0, false},
    BranchCase{"BPL_taken", 0x2A, V, true},
    BranchCase{"BPL_not", 0x2A, N, false},
    BranchCase{"BMI_taken", 0x2B, N, true},
    BranchCase{"BMI_not", 0x2B, 0, false},
    BranchCase{"BGE_bothSet", 0x2C, N | V, true},
    BranchCase{"BGE_bothClear", 0x2C, 0, true},
    BranchCase{"BGE_not", 0x2C, N, false},
    BranchCase{"BLT_taken", 0x2D, V, true},
    BranchCase{"BLT_not", 0x2D, N | V, false},
    BranchCase{"BGT_taken", 0x2E, N | V, true},
    BranchCase{"BGT_zero", 0x2E, Z, false},
    BranchCase{"BGT_signDiffers", 0x2E, N, false},
    BranchCase{"BLE_zero", 0x2F, Z, true},
    BranchCase{"BLE_signDiffers", 0x2F, V, true},
    BranchCase{"BLE_not", 0x2F, N | V, false}
), [](const testing::TestParamInfo<BranchCase>& info) { return std::string(info.param.name); });

class BranchOffsets : public testing::TestWithParam<Row> {};
TEST_P(BranchOffsets, Executes) { runRow(GetParam()); }
INSTANTIATE_TEST_SUITE_P(KorvexControlFlow, BranchOffsets, testing::Values(
    Row{.name = "BNE_toItself", .code = {0x26, 0xFE}, .pcAfter = 0x8000},
    Row{.name = "BRA_furthestBack", .code = {0x20, 0x80}, .pcAfter = 0x7F82},
    Row{.name = "BRA_furthestForward", .code = {0x20, 0x7F}, .pcAfter = 0x8081},
    Row{.name = "BRSET_dir_taken", .code = {0x12, 0x10, 0x81, 0x05},
        .memory = {{0x10, 0x81}}, .events = {R(0x10, 0x81)}, .pcAfter = 0x8009},
    Row{.name = "BRSET_dir_notAllBitsSet", .code = {0x12, 0x10, 0x81, 0x05},
        .memory = {{0x10, 0x80}}, .events = {R(0x10, 0x80)}, .pcAfter = 0x8004},
    Row{.name = "BRSET_idxX_keepsFlags", .code = {0x1E, 0x01, 0x0F, 0x02}, .before = {.ccr = Z | C, .ix = 0x0100},
        .memory = {{0x0101, 0xFF}}, .after = {.ccr = Z | C, .ix = 0x0100},
        .events = {R(0x0101, 0xFF)}, .pcAfter = 0x8006},
    Row{.name = "BRSET_idxY_taken", .code = {0x18, 0x1E, 0x02, 0x0F, 0x10}, .before = {.iy = 0x2000},
        .memory = {{0x2002, 0x1F}}, .after = {.iy = 0x2000},
        .events = {R(0x2002, 0x1F)}, .pcAfter = 0x8015},
    Row{.name = "BRCLR_idxX_backwards", .code = {0x1F, 0x00, 0x01, 0xF0}, .before = {.ix = 0x1000},
        .memory = {{0x1000, 0xFE}}, .after = {.ix = 0x1000},
        .events = {R(0x1000, 0xFE)}, .pcAfter = 0x7FF4},
    Row{.name = "BRCLR_dir_bitSet", .code = {0x13, 0x20, 0x01, 0x10},
        .memory = {{0x20, 0x01}}, .events = {R(0x20, 0x01)}, .pcAfter = 0x8004},
    Row{.name = "BRCLR_idxY_notTaken", .code = {0x18, 0x1F, 0x00, 0x80, 0x10}, .before = {.iy = 0x0300},
        .memory = {{0x0300, 0x80}}, .after = {.iy = 0x0300},
        .events = {R(0x0300, 0x80)}, .pcAfter = 0x8005}
), RowName());

class BitChange : public testing::TestWithParam<Row> {};
TEST_P(BitChange, Executes) { runRow(GetParam()); }
INSTANTIATE_TEST_SUITE_P(KorvexControlFlow, BitChange, testing::Values(
    Row{.name = "BSET_dir", .code = {0x14, 0x20, 0x81}, .before = {.ccr = V | C},
        .memory = {{0x20, 0x02}}, .after = {.ccr = N | C},
        .events = {R(0x20, 0x02), W(0x20, 0x83)}, .pcAfter = 0x8003},
    Row{.name = "BSET_idxX", .code = {0x1C, 0x05, 0x01}, .before = {.ix = 0x0100},
        .memory = {{0x0105, 0x10}}, .after = {.ix = 0x0100},
        .events = {R(0x0105, 0x10), W(0x0105, 0x11)}, .pcAfter = 0x8003},
    Row{.name = "BSET_idxY", .code = {0x18, 0x1C, 0x00, 0x01}, .before = {.iy = 0x0400},
        .memory = {{0x0400, 0x00}}, .after = {.iy = 0x0400},
        .events = {R(0x0400, 0x00), W(0x0400, 0x01)}, .pcAfter = 0x8004},
    Row{.name = "BSET_idxY_wraps", .code = {0x18, 0x1C, 0x20, 0x01}, .before = {.iy = 0xFFF0},
        .memory = {{0x0010, 0x40}}, .after = {.iy = 0xFFF0},
        .events = {R(0x0010, 0x40), W(0x0010, 0x41)}, .pcAfter = 0x8004},
    Row{.name = "BCLR_dir", .code = {0x15, 0x30, 0x0F}, .before = {.ccr = Z},
        .memory = {{0x30, 0xFF}}, .after = {.ccr = N},
        .events = {R(0x30, 0xFF), W(0x30, 0xF0)}, .pcAfter = 0x8003},
    Row{.name = "BCLR_idxX_toZero", .code = {0x1D, 0x01, 0xFF}, .before = {.ix = 0x0100},
        .memory = {{0x0101, 0xAA}}, .after = {.ccr = Z, .ix = 0x0100},
        .events = {R(0x0101, 0xAA), W(0x0101, 0x00)}, .pcAfter = 0x8003},
    Row{.name = "BCLR_idxY", .code = {0x18, 0x1D, 0x02, 0x80}, .before = {.iy = 0x0400},
        .memory = {{0x0402, 0x81}}, .after = {.iy = 0x0400},
        .events = {R(0x0402, 0x81), W(0x0402, 0x01)}, .pcAfter = 0x8004}
), RowName());

class JumpCall : public testing::TestWithParam<Row> {};
TEST_P(JumpCall, Executes) { runRow(GetParam()); }
INSTANTIATE_TEST_SUITE_P(KorvexControlFlow, JumpCall, testing::Values(
    Row{.name = "JMP_ext", .code = {0x7E, 0x12, 0x34}, .before = {.ccr = 0xFF},
        .after = {.ccr = 0xFF}, .pcAfter = 0x1234},
    Row{.name = "JMP_idxX", .code = {0x6E, 0x10}, .before = {.ix = 0x2000},
        .after = {.ix = 0x2000}, .pcAfter = 0x2010},
    Row{.name = "JMP_idxY", .code = {0x18, 0x6E, 0x20}, .before = {.iy = 0x3000},
        .after = {.iy = 0x3000}, .pcAfter = 0x3020},
    Row{.name = "JMP_idxX_wraps", .code = {0x6E, 0x20}, .before = {.ix = 0xFFF0},
        .after = {.ix = 0xFFF0}, .pcAfter = 0x0010},
    Row{.name = "JSR_idxY_wraps", .code = {0x18, 0xAD, 0xFF}, .before = {.iy = 0xFF05, .sp = 0x0100},
        .after = {.iy = 0xFF05, .sp = 0x00FE}, .events = {W(0x0100, 0x03), W(0x00FF, 0x80)}, .pcAfter = 0x0004},
    Row{.name = "JSR_ext", .code = {0xBD, 0x20, 0x00}, .before = {.sp = 0x00FF},
        .after = {.sp = 0x00FD}, .events = {W(0x00FF, 0x03), W(0x00FE, 0xC0)},
        .pcBefore = 0xC000, .pcAfter = 0x2000},
    Row{.name = "JSR_dir", .code = {0x9D, 0x80}, .before = {.sp = 0x0100},
        .after = {.sp = 0x00FE}, .events = {W(0x0100, 0x02), W(0x00FF, 0x80)}, .pcAfter = 0x0080},
    Row{.name = "JSR_idxX", .code = {0xAD, 0x05}, .before = {.ix = 0x1000, .sp = 0x0100},
        .after = {.ix = 0x1000, .sp = 0x00FE}, .events = {W(0x0100, 0x02), W(0x00FF, 0x80)}, .pcAfter = 0x1005},
    Row{.name = "JSR_idxY", .code = {0x18, 0xAD, 0x05}, .before = {.iy = 0x1000, .sp = 0x0100},
        .after = {.iy = 0x1000, .sp = 0x00FE}, .events = {W(0x0100, 0x03), W(0x00FF, 0x80)}, .pcAfter = 0x1005},
    Row{.name = "JSR_ext_stackAtZero", .code = {0xBD, 0x20, 0x00}, .before = {.sp = 0x0000},
        .after = {.sp = -2}, .events = {W(0x0000, 0x03), W(0xFFFF, 0x80)}, .pcAfter = 0x2000},
    Row{.name = "JSR_ext_returnPastTop", .code = {0xBD, 0x20, 0x00}, .before = {.sp = 0x0100},
        .after = {.sp = 0x00FE}, .events = {W(0x0100, 0x01), W(0x00FF, 0x00)},
        .pcBefore = 0xFFFE, .pcAfter = 0x2000},
    Row{.name = "BSR_forward", .code = {0x8D, 0x10}, .before = {.sp = 0x0100},
        .after = {.sp = 0x00FE}, .events = {W(0x0100, 0x02), W(0x00FF, 0x80)}, .pcAfter = 0x8012},
    Row{.name = "BSR_toItself", .code = {0x8D, 0xFE}, .before = {.sp = 0x0100},
        .after = {.sp = 0x00FE}, .events = {W(0x0100, 0x02), W(0x00FF, 0x80)}, .pcAfter = 0x8000},
    Row{.name = "RTS", .code = {0x39}, .before = {.sp = 0x00FD},
        .memory = {{0x00FE, 0xC0}, {0x00FF, 0x03}}, .after = {.sp = 0x00FF},
        .events = {R(0x00FE, 0xC0), R(0x00FF, 0x03)}, .pcAfter = 0xC003},
    Row{.name = "RTS_pastTopWraps", .code = {0x39}, .before = {.sp = 0xFFFF},
        .memory = {{0x0000, 0x12}, {0x0001, 0x34}}, .after = {.sp = 0x10001},
        .events = {R(0x0000, 0x12), R(0x0001, 0x34)}, .pcAfter = 0x1234},
    Row{.name = "RTS_acrossTop", .code = {0x39}, .before = {.sp = 0xFFFE},
        .memory = {{0xFFFF, 0xC1}, {0x0000, 0x23}}, .after = {.sp = 0x10000},
        .events = {R(0xFFFF, 0xC1), R(0x0000, 0x23)}, .pcAfter = 0xC123},
    Row{.name = "RTI_acrossTop", .code = {0x3B}, .before = {.sp = 0xFFFA},
        .memory = {{0xFFFB, 0x01}, {0xFFFC, 0x22}, {0xFFFD, 0x11}, {0xFFFE, 0x12}, {0xFFFF, 0x34},
                   {0x0000, 0x56}, {0x0001, 0x78}, {0x0002, 0x9A}, {0x0003, 0xBC}},
        .after = {.a = 0x11, .b = 0x22, .ccr = 0x01, .ix = 0x1234, .iy = 0x5678, .sp = 0x10003},
        .events = {R(0xFFFB, 0x01), R(0xFFFC, 0x22), R(0xFFFD, 0x11), R(0xFFFE, 0x12), R(0xFFFF, 0x34),
                   R(0x0000, 0x56), R(0x0001, 0x78), R(0x0002, 0x9A), R(0x0003, 0xBC)},
        .pcAfter = 0x9ABC},
    Row{.name = "RTI_ninePulls", .code = {0x3B}, .before = {.sp = 0x0100},
        .memory = {{0x0101, 0xC5}, {0x0102, 0x22}, {0x0103, 0x11}, {0x0104, 0x12}, {0x0105, 0x34},
                   {0x0106, 0x56}, {0x0107, 0x78}, {0x0108, 0x9A}, {0x0109, 0xBC}},
        .after = {.a = 0x11, .b = 0x22, .ccr = 0xC5, .ix = 0x1234, .iy = 0x5678, .sp = 0x0109},
        .events = {R(0x0101, 0xC5), R(0x0102, 0x22), R(0x0103, 0x11), R(0x0104, 0x12), R(0x0105, 0x34),
                   R(0x0106, 0x56), R(0x0107, 0x78), R(0x0108, 0x9A), R(0x0109, 0xBC)},
        .pcAfter = 0x9ABC},
    Row{.name = "RTI_clearsX", .code = {0x3B}, .before = {.ccr = 0xFF, .sp = 0x0200},
        .after = {.sp = 0x0209},
        .events = {R(0x0201, 0), R(0x0202, 0), R(0x0203, 0), R(0x0204, 0), R(0x0205, 0),
                   R(0x0206, 0), R(0x0207, 0), R(0x0208, 0), R(0x0209, 0)},
        .pcAfter = 0x0000}
), RowName());

class Stack : public testing::TestWithParam<Row> {};
TEST_P(Stack, Executes) { runRow(GetParam()); }
INSTANTIATE_TEST_SUITE_P(KorvexControlFlow, Stack, testing::Values(
    Row{.name = "PSHA", .code = {0x36}, .before = {.a = 0x12, .ccr = 0x0F, .sp = 0x00FF},
        .after = {.a = 0x12, .ccr = 0x0F, .sp = 0x00FE}, .events = {W(0x00FF, 0x12)}, .pcAfter = 0x8001},
    Row{.name = "PSHB_atZero", .code = {0x37}, .before = {.b = 0x34, .sp = 0x0000},
        .after = {.b = 0x34, .sp = -1}, .events = {W(0x0000, 0x34)}, .pcAfter = 0x8001},
    Row{.name = "PULA", .code = {0x32}, .before = {.sp = 0x00FE},
        .memory = {{0x00FF, 0x80}}, .after = {.a = 0x80, .sp = 0x00FF},
        .events = {R(0x00FF, 0x80)}, .pcAfter = 0x8001},
    Row{.name = "PULB_pastTop", .code = {0x33}, .before = {.ccr = Z, .sp = 0xFFFF},
        .memory = {{0x0000, 0x77}}, .after = {.b = 0x77, .ccr = Z, .sp = 0x10000},
        .events = {R(0x0000, 0x77)}, .pcAfter = 0x8001},
    Row{.name = "PULX_acrossTop", .code = {0x38}, .before = {.sp = 0xFFFE},
        .memory = {{0xFFFF, 0xAB}, {0x0000, 0xCD}}, .after = {.ix = 0xABCD, .sp = 0x10000},
        .events = {R(0xFFFF, 0xAB), R(0x0000, 0xCD)}, .pcAfter = 0x8001},
    Row{.name = "PULY_pastTop", .code = {0x18, 0x38}, .before = {.sp = 0xFFFF},
        .memory = {{0x0000, 0x12}, {0x0001, 0x34}}, .after = {.iy = 0x1234, .sp = 0x10001},
        .events = {R(0x0000, 0x12), R(0x0001, 0x34)}, .pcAfter = 0x8002},
    Row{.name = "PSHX_atZeroWraps", .code = {0x3C}, .before = {.ix = 0x1234, .sp = 0x0000},
        .after = {.ix = 0x1234, .sp = -2}, .events = {W(0x0000, 0x34), W(0xFFFF, 0x12)}, .pcAfter = 0x8001},
    Row{.name = "PSHA_belowZeroWraps", .code = {0x36}, .before = {.a = 0x5A, .sp = 0x0000},
        .after = {.a = 0x5A, .sp = -1}, .events = {W(0x0000, 0x5A)}, .pcAfter = 0x8001},
    Row{.name = "PSHX_lowFirst", .code = {0x3C}, .before = {.ix = 0x1234, .sp = 0x00FF},
        .after = {.ix = 0x1234, .sp = 0x00FD}, .events = {W(0x00FF, 0x34), W(0x00FE, 0x12)}, .pcAfter = 0x8001},
    Row{.name = "PSHY", .code = {0x18, 0x3C}, .before = {.iy = 0xABCD, .sp = 0x00FF},
        .after = {.iy = 0xABCD, .sp = 0x00FD}, .events = {W(0x00FF, 0xCD), W(0x00FE, 0xAB)}, .pcAfter = 0x8002},
    Row{.name = "PULX_highFirst", .code = {0x38}, .before = {.sp = 0x00FD},
        .memory = {{0x00FE, 0x12}, {0x00FF, 0x34}}, .after = {.ix = 0x1234, .sp = 0x00FF},
        .events = {R(0x00FE, 0x12), R(0x00FF, 0x34)}, .pcAfter = 0x8001},
    Row{.name = "PULY", .code = {0x18, 0x38}, .before = {.sp = 0x00FD},
        .memory = {{0x00FE, 0x80}, {0x00FF, 0x00}}, .after = {.iy = 0x8000, .sp = 0x00FF},
        .events = {R(0x00FE, 0x80), R(0x00FF, 0x00)}, .pcAfter = 0x8002},
    Row{.name = "INS", .code = {0x31}, .before = {.sp = 0xFFFF}, .after = {.sp = 0x10000}, .pcAfter = 0x8001},
    Row{.name = "DES", .code = {0x34}, .before = {.sp = 0x0000}, .after = {.sp = -1}, .pcAfter = 0x8001},
    Row{.name = "TSX", .code = {0x30}, .before = {.ccr = Z, .sp = 0x00FF},
        .after = {.ccr = Z, .ix = 0x0100, .sp = 0x00FF}, .pcAfter = 0x8001},
    Row{.name = "TSY", .code = {0x18, 0x30}, .before = {.sp = 0x0100},
        .after = {.iy = 0x0101, .sp = 0x0100}, .pcAfter = 0x8002},
    Row{.name = "TXS", .code = {0x35}, .before = {.ix = 0x0000},
        .after = {.sp = -1}, .pcAfter = 0x8001},
    Row{.name = "TYS", .code = {0x18, 0x35}, .before = {.iy = 0x0200},
        .after = {.iy = 0x0200, .sp = 0x01FF}, .pcAfter = 0x8002},
    Row{.name = "XGDX", .code = {0x8F}, .before = {.a = 0x12, .b = 0x34, .ccr = N, .ix = 0xABCD},
        .after = {.a = 0xAB, .b = 0xCD, .ccr = N, .ix = 0x1234}, .pcAfter = 0x8001},
    Row{.name = "XGDY", .code = {0x18, 0x8F}, .before = {.a = 0x00, .b = 0x01, .iy = 0x8000},
        .after = {.a = 0x80, .b = 0x00, .iy = 0x0001}, .pcAfter = 0x8002},
    Row{.name = "ABX_unsignedNoWrap", .code = {0x3A}, .before = {.b = 0xFF, .ccr = Z, .ix = 0xFFFF},
        .after = {.b = 0xFF, .ccr = Z, .ix = 0x100FE}, .pcAfter = 0x8001},
    Row{.name = "ABY", .code = {0x18, 0x3A}, .before = {.b = 0x80, .iy = 0x1000},
        .after = {.b = 0x80, .iy = 0x1080}, .pcAfter = 0x8002}
), RowName());

class Special : public testing::TestWithParam<Row> {};
TEST_P(Special, Executes) { runRow(GetParam()); }
INSTANTIATE_TEST_SUITE_P(KorvexControlFlow, Special, testing::Values(
    Row{.name = "NOP", .code = {0x01}, .before = {.a = 1, .b = 2, .ccr = 3, .ix = 4, .iy = 5, .sp = 6},
        .after = {.a = 1, .b = 2, .ccr = 3, .ix = 4, .iy = 5, .sp = 6}, .pcAfter = 0x8001},
    Row{.name = "SWI_stacksNothing", .code = {0x3F}, .before = {.a = 1, .ccr = 0, .sp = 0x00FF},
        .after = {.a = 1, .ccr = 0, .sp = 0x00FF}, .pcAfter = 0x8001},
    Row{.name = "WAI_stacksNothing", .code = {0x3E}, .before = {.sp = 0x00FF},
        .after = {.sp = 0x00FF}, .pcAfter = 0x8001},
    Row{.name = "STOP_sSet", .code = {0xCF}, .before = {.ccr = S},
        .after = {.ccr = S}, .pcAfter = 0x8001},
    Row{.name = "STOP_sClear", .code = {0xCF}, .before = {.a = 9, .ccr = X | I},
        .after = {.a = 9, .ccr = X | I}, .pcAfter = 0x8000},
    Row{.name = "TEST", .code = {0x00}, .before = {.a = 1, .b = 2, .ccr = 3, .ix = 4, .iy = 5, .sp = 6},
        .after = {.a = 1, .b = 2, .ccr = 3, .ix = 4, .iy = 5, .sp = 6}, .pcAfter = 0x8000},
    Row{.name = "page18_undefined", .code = {0x18, 0x00}, .before = {.a = 1, .sp = 6},
        .after = {.a = 1, .sp = 6}, .pcAfter = 0x8000},
    Row{.name = "page1A_undefined", .code = {0x1A, 0x84}, .before = {.a = 1, .sp = 6},
        .after = {.a = 1, .sp = 6}, .pcAfter = 0x8000},
    Row{.name = "pageCD_undefined", .code = {0xCD, 0x00}, .before = {.a = 1, .sp = 6},
        .after = {.a = 1, .sp = 6}, .pcAfter = 0x8000}
), RowName());

// STOP with S clear keeps the processor on it however often it is stepped.
TEST(KorvexStop, RepeatedStepsStayOnStop)
{
    Host host;
    host.cpu.setPC(0x4000);
    Regs r{.a = 3, .ccr = 0x7F};
    for (int i = 0; i < 3; ++i)
        host.step(r, {0xCF});
    EXPECT_EQ(host.cpu.pc(), 0x4000);
    EXPECT_EQ(r, (Regs{.a = 3, .ccr = 0x7F}));
    EXPECT_TRUE(host.events.empty());
}

// A call and its return bring the program counter back behind the call.
TEST(KorvexCall, JsrThenRtsReturnsBehindCall)
{
    Host host;
    host.cpu.setPC(0xC000);
    Regs r{.sp = 0x00FF};
    host.step(r, {0xBD, 0xD0, 0x00});
    EXPECT_EQ(host.cpu.pc(), 0xD000);
    host.step(r, {0x39});
    EXPECT_EQ(host.cpu.pc(), 0xC003);
    EXPECT_EQ(r.sp, 0x00FF);
}

} // namespace
} // namespace korvextest
