// Decoder: texts, lengths and formats of every opcode on the four pages, the
// documented examples, and window wrap-around.
#include "code/Decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

using namespace zelk;
using F = OperandFormat;

namespace {

// A code window at base holding bytes at address (the rest zero).
CodeWindow windowWith(int32_t base, int32_t address, std::initializer_list<uint8_t> bytes)
{
    CodeWindow w;
    w.base = base;
    int32_t a = address < base ? address + 0x10000 : address;
    size_t i = static_cast<size_t>(a - base);
    for (uint8_t b : bytes)
        w.bytes.at(i++) = b;
    return w;
}

struct Example {
    const char* name;
    int32_t base, address;
    std::vector<uint8_t> bytes;
    const char* text;
    int length;
    F format;
    uint8_t lastOpcode;
};

const Example examples[] = {
    {"LdaaImmediate", 0xC000, 0xC000, {0x86, 0x12}, "LDAA  #$12", 2, F::Immediate8, 0x86},
    {"LdaaDirect", 0xC000, 0xC000, {0x96, 0x40}, "LDAA  $40", 2, F::Direct, 0x96},
    {"LdaaIndexedX", 0xC000, 0xC000, {0xA6, 0x05}, "LDAA  $05,X", 2, F::IndexedX, 0xA6},
    {"LdaaExtended", 0xC000, 0xC000, {0xB6, 0x10, 0x2F}, "LDAA  $102F", 3, F::Extended, 0xB6},
    {"LdaaIndexedY", 0xC000, 0xC000, {0x18, 0xA6, 0xFF}, "LDAA  $FF,Y", 3, F::IndexedY, 0xA6},
    {"LddImmediate", 0xC000, 0xC000, {0xCC, 0xAB, 0xCD}, "LDD   #$ABCD", 3, F::Immediate16, 0xCC},
    {"LdyImmediate", 0xC000, 0xC000, {0x18, 0xCE, 0x12, 0x34}, "LDY   #$1234", 4, F::Immediate16, 0xCE},
    {"BrsetDirect", 0xC000, 0xC000, {0x12, 0x10, 0x80, 0x00}, "BRSET $10 $80 $C004", 4, F::BitBranchDirect, 0x12},
    {"BrsetIndexedXBack", 0xC000, 0xC000, {0x1E, 0x05, 0x80, 0xFC}, "BRSET $05,X $80 $C000", 4,
     F::BitBranchIndexedX, 0x1E},
    {"BrclrIndexedY", 0xC000, 0xC000, {0x18, 0x1F, 0x22, 0x01, 0xFA}, "BRCLR $22,Y $01 $BFFF", 5,
     F::BitBranchIndexedY, 0x1F},
    {"BsetDirect", 0xC000, 0xC000, {0x14, 0x30, 0x0F}, "BSET  $30 $0F", 3, F::BitDirect, 0x14},
    {"BclrIndexedX", 0xC000, 0xC000, {0x1D, 0x03, 0x40}, "BCLR  $03,X $40", 3, F::BitIndexedX, 0x1D},
    {"BsetIndexedY", 0xC000, 0xC000, {0x18, 0x1C, 0x03, 0x40}, "BSET  $03,Y $40", 4, F::BitIndexedY, 0x1C},
    {"BraSelf", 0xC000, 0xC010, {0x20, 0xFE}, "BRA   $C010", 2, F::Relative, 0x20},
    {"BraWrapsPastTop", 0xFF00, 0xFFF0, {0x20, 0x7F}, "BRA   $0071", 2, F::Relative, 0x20},
    {"BsrForward", 0xC000, 0xC000, {0x8D, 0x10}, "BSR   $C012", 2, F::Relative, 0x8D},
    {"JsrDirect", 0xC000, 0xC000, {0x9D, 0x80}, "JSR   $80", 2, F::Direct, 0x9D},
    {"JmpIndexedX", 0xC000, 0xC000, {0x6E, 0x00}, "JMP   $00,X", 2, F::IndexedX, 0x6E},
    {"JmpExtended", 0xC000, 0xC000, {0x7E, 0xC1, 0x00}, "JMP   $C100", 3, F::Extended, 0x7E},
    {"Swi", 0xC000, 0xC000, {0x3F}, "SWI", 1, F::Inherent, 0x3F},
    {"Test", 0xC000, 0xC000, {0x00}, "???", 1, F::Inherent, 0x00},
    {"PrefixUndefined18", 0xC000, 0xC000, {0x18, 0x00}, "???", 2, F::Inherent, 0x00},
    {"PrefixUndefined1A", 0xC000, 0xC000, {0x1A, 0x84}, "???", 2, F::Inherent, 0x84},
    {"PrefixUndefinedCD", 0xC000, 0xC000, {0xCD, 0x00}, "???", 2, F::Inherent, 0x00},
    {"Undefined87", 0xC000, 0xC000, {0x87, 0x55}, "???", 1, F::Inherent, 0x87},
    {"Lsld", 0xC000, 0xC000, {0x05}, "LSLD", 1, F::Inherent, 0x05},
    {"Lsla", 0xC000, 0xC000, {0x48}, "LSLA", 1, F::Inherent, 0x48},
    {"Lslb", 0xC000, 0xC000, {0x58}, "LSLB", 1, F::Inherent, 0x58},
    {"LslExtended", 0xC000, 0xC000, {0x78, 0x10, 0x00}, "LSL   $1000", 3, F::Extended, 0x78},
    {"CpxIndexedY", 0xC000, 0xC000, {0xCD, 0xAC, 0x08}, "CPX   $08,Y", 3, F::IndexedY, 0xAC},
    {"CpdImmediate", 0xC000, 0xC000, {0x1A, 0x83, 0x00, 0x01}, "CPD   #$0001", 4, F::Immediate16, 0x83},
    {"CpyIndexedX", 0xC000, 0xC000, {0x1A, 0xAC, 0x7F}, "CPY   $7F,X", 3, F::IndexedX, 0xAC},
    {"StyIndexedX", 0xC000, 0xC000, {0x1A, 0xEF, 0x02}, "STY   $02,X", 3, F::IndexedX, 0xEF},
    {"StxIndexedY", 0xC000, 0xC000, {0xCD, 0xEF, 0x02}, "STX   $02,Y", 3, F::IndexedY, 0xEF},
    {"Daa", 0xC000, 0xC000, {0x19}, "DAA", 1, F::Inherent, 0x19},
    {"Xgdy", 0xC000, 0xC000, {0x18, 0x8F}, "XGDY", 2, F::Inherent, 0x8F},
    {"Pshy", 0xC000, 0xC000, {0x18, 0x3C}, "PSHY", 2, F::Inherent, 0x3C},
    {"Stop", 0xC000, 0xC000, {0xCF}, "STOP", 1, F::Inherent, 0xCF},
    {"Wai", 0xC000, 0xC000, {0x3E}, "WAI", 1, F::Inherent, 0x3E},
    // The instruction straddles $FFFF: its operand comes from the window's
    // next byte, read as $10000.
    {"StraddlesTop", 0xFFF0, 0xFFFF, {0xB6, 0x12, 0x34}, "LDAA  $1234", 3, F::Extended, 0xB6},
};

void PrintTo(const Example& x, std::ostream* os) { *os << x.name; }

} // namespace

class DecoderExample : public ::testing::TestWithParam<Example> {};

TEST_P(DecoderExample, TextLengthFormat)
{
    const Example& x = GetParam();
    CodeWindow w;
    w.base = x.base;
    int32_t a = x.address < x.base ? x.address + 0x10000 : x.address;
    for (size_t i = 0; i < x.bytes.size(); ++i)
        w.bytes.at(static_cast<size_t>(a - x.base) + i) = x.bytes[i];
    int32_t address = x.address;
    int16_t length = -1;
    std::string text = "stale";
    DecoderState state{0xEE, F::Relative};
    DisassembleOne(w, address, length, text, &state);
    EXPECT_EQ(text, x.text);
    EXPECT_EQ(length, x.length);
    EXPECT_EQ(state.operandFormat, x.format);
    EXPECT_EQ(state.lastOpcode, x.lastOpcode);
    EXPECT_EQ(address, a);
    EXPECT_EQ(instructionLength(w, x.address), x.length);
}

INSTANTIATE_TEST_SUITE_P(Examples, DecoderExample, ::testing::ValuesIn(examples),
                         [](const ::testing::TestParamInfo<Example>& i) { return std::string(i.param.name); });

TEST(Decoder, AddressBelowBaseIsWrapped)
{
    CodeWindow w = windowWith(0xFFF0, 0x0010, {0x01});
    w.bytes[0x20] = 0x08;  // $0010 is window byte $20 when the base is $FFF0
    int32_t address = 0x0010;
    int16_t length = 0;
    std::string text;
    DisassembleOne(w, address, length, text);
    EXPECT_EQ(address, 0x10010);
    EXPECT_EQ(text, "INX");
}

TEST(Decoder, AddressAboveBaseReadsItsOwnByte)
{
    CodeWindow w;
    w.base = 0xFF00;
    w.bytes[0x80] = 0x3A;
    int32_t address = 0xFF80;
    int16_t length = 0;
    std::string text;
    DisassembleOne(w, address, length, text);
    EXPECT_EQ(address, 0xFF80);
    EXPECT_EQ(text, "ABX");
    EXPECT_EQ(length, 1);
}

TEST(Decoder, WithoutStateStillDecodes)
{
    CodeWindow w = windowWith(0, 0, {0x18, 0x08});
    int32_t address = 0;
    int16_t length = 0;
    std::string text;
    DisassembleOne(w, address, length, text);
    EXPECT_EQ(text, "INY");
    EXPECT_EQ(length, 2);
}

namespace {

// The operand text each format shows for the operand bytes $12 $34 $56 at
// $C000 (branch targets: $C000 + length + the signed last byte).
std::string expectedOperand(F format, int length)
{
    switch (format) {
    case F::Inherent: return "";
    case F::Immediate8: return "#$12";
    case F::Immediate16: return "#$1234";
    case F::Direct: return "$12";
    case F::BitDirect: return "$12 $34";
    case F::BitBranchDirect: return "$12 $34 $C05A";
    case F::Extended: return "$1234";
    case F::IndexedX: return "$12,X";
    case F::BitIndexedX: return "$12,X $34";
    case F::BitBranchIndexedX: return "$12,X $34 $C05A";
    case F::IndexedY: return "$12,Y";
    case F::BitIndexedY: return "$12,Y $34";
    case F::BitBranchIndexedY: return "$12,Y $34 $C05B";
    case F::Relative: return length == 2 ? "$C014" : "bad length";
    }
    return "bad format";
}

} // namespace

TEST(Decoder, EveryOpcodeOfEveryPage)
{
    const uint8_t prefixes[] = {0x00, 0x18, 0x1A, 0xCD};
    int defined = 0;
    for (uint8_t prefix : prefixes) {
        for (int op = 0; op < 256; ++op) {
            if (prefix == 0 && isPrefixByte(static_cast<uint8_t>(op)))
                continue;
            CodeWindow w;
            w.base = 0xC000;
            size_t i = 0;
            if (prefix)
                w.bytes[i++] = prefix;
            w.bytes[i++] = static_cast<uint8_t>(op);
            w.bytes[i++] = 0x12;
            w.bytes[i++] = 0x34;
            w.bytes[i++] = 0x56;
            int32_t address = 0xC000;
            int16_t length = 0;
            std::string text;
            DecoderState state;
            DisassembleOne(w, address, length, text, &state);
            SCOPED_TRACE(testing::Message() << std::hex << int(prefix) << " " << op << ": " << text);
            EXPECT_EQ(state.lastOpcode, op);
            EXPECT_EQ(instructionLength(w, 0xC000), length);
            const InstructionInfo* e = findInstruction(prefix, static_cast<uint8_t>(op));
            if (!e) {
                EXPECT_EQ(text, "???");
                EXPECT_EQ(length, prefix ? 2 : 1);
                EXPECT_EQ(state.operandFormat, F::Inherent);
                continue;
            }
            ++defined;
            EXPECT_EQ(length, e->length);
            EXPECT_EQ(state.operandFormat, e->format);
            std::string mnemonic = e->mnemonic;
            if (e->format == F::Inherent) {
                EXPECT_EQ(text, mnemonic);
            } else {
                ASSERT_LE(mnemonic.size(), 6u);
                EXPECT_EQ(text, mnemonic + std::string(6 - mnemonic.size(), ' ') +
                                    expectedOperand(e->format, e->length));
            }
        }
    }
    EXPECT_EQ(defined, static_cast<int>(instructionSet().size()));
}

TEST(Decoder, EveryTextIsInTheListOfTexts)
{
    const std::string texts =
        " NOP IDIV FDIV LSRD LSLD TAP TPA INX DEX CLV SEV CLC SEC CLI SEI SBA CBA BRSET BRCLR BSET BCLR TAB"
        " TBA DAA ABA BRA BRN BHI BLS BCC BCS BNE BEQ BVC BVS BPL BMI BGE BLT BGT BLE TSX INS PULA PULB DES"
        " TXS PSHA PSHB PULX RTS ABX RTI PSHX MUL WAI SWI NEGA COMA LSRA RORA ASRA LSLA ROLA DECA INCA TSTA"
        " CLRA NEGB COMB LSRB RORB ASRB LSLB ROLB DECB INCB TSTB CLRB NEG COM LSR ROR ASR LSL ROL DEC INC"
        " TST JMP CLR SUBA CMPA SBCA SUBD ANDA BITA LDAA STAA EORA ADCA ORAA ADDA CPX BSR JSR LDS STS XGDX"
        " SUBB CMPB SBCB ADDD ANDB BITB LDAB STAB EORB ADCB ORAB ADDB LDD STD LDX STX STOP INY DEY TSY TYS"
        " PULY ABY PSHY XGDY CPY LDY STY CPD ";
    for (const InstructionInfo& e : instructionSet())
        EXPECT_NE(texts.find(std::string(" ") + e.mnemonic + " "), std::string::npos) << e.mnemonic;
}
