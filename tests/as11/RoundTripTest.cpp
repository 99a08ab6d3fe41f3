// Round trip through the shared decoder: every form of the instruction table
// is assembled, decoded back to text by the IDE's disassembler, and that
// text assembled again must give the same bytes, length and format.
#include "As11TestSupport.h"

#include "code/Decoder.h"

#include <gtest/gtest.h>

using namespace zelk::as11;
using zelk::InstructionInfo;
using zelk::OperandFormat;

namespace {

std::string operandFor(OperandFormat f)
{
    switch (f) {
    case OperandFormat::Inherent: return "";
    case OperandFormat::Immediate8: return "#$5A";
    case OperandFormat::Immediate16: return "#$1234";
    case OperandFormat::Direct: return "$45";
    case OperandFormat::Extended: return "$1234";
    case OperandFormat::IndexedX: return "$12,X";
    case OperandFormat::IndexedY: return "$12,Y";
    case OperandFormat::BitDirect: return "$45 $5A";
    case OperandFormat::BitIndexedX: return "$12,X $5A";
    case OperandFormat::BitIndexedY: return "$12,Y $5A";
    case OperandFormat::BitBranchDirect: return "$45 $5A HERE";
    case OperandFormat::BitBranchIndexedX: return "$12,X $5A HERE";
    case OperandFormat::BitBranchIndexedY: return "$12,Y $5A HERE";
    case OperandFormat::Relative: return "HERE";
    }
    return "";
}

TEST(RoundTrip, EveryFormThroughTheDecoder)
{
    for (const InstructionInfo& info : zelk::instructionSet()) {
        std::string line = std::string("HERE ") + info.mnemonic + " " + operandFor(info.format);
        SCOPED_TRACE(line);
        AssemblyResult first = assemble(" ORG $C010\n" + line + "\n");
        ASSERT_TRUE(first.ok()) << first.errorText();
        std::vector<uint8_t> bytes = as11test::bytesFrom(first, 0xC010);
        ASSERT_EQ(bytes.size(), info.length);
        EXPECT_EQ(bytes[info.prefix ? 1 : 0], info.opcode);

        zelk::CodeWindow w;
        w.base = 0xC000;
        std::copy(bytes.begin(), bytes.end(), w.bytes.begin() + 0x10);
        int32_t address = 0xC010;
        int16_t length = 0;
        std::string text;
        zelk::DecoderState state;
        zelk::DisassembleOne(w, address, length, text, &state);
        EXPECT_EQ(length, info.length);
        EXPECT_EQ(state.operandFormat, info.format);

        AssemblyResult second = assemble(" ORG $C010\n " + text + "\n");
        ASSERT_TRUE(second.ok()) << text << "\n" << second.errorText();
        EXPECT_EQ(as11test::bytesFrom(second, 0xC010), bytes) << text;
    }
}

} // namespace
