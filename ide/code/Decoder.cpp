// Instruction decoder over the code window.
#include "code/Decoder.h"

#include "code/OpcodeFacts.h"

namespace zelk {

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

// Appends value as upper-case hex, zero-padded to digits characters.
void appendHex(std::string& s, uint32_t value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        s.push_back(hexDigits[(value >> shift) & 0xF]);
}

void appendByte(std::string& s, uint8_t b)
{
    s.push_back('$');
    appendHex(s, b, 2);
}

void appendWord(std::string& s, uint32_t w)
{
    s.push_back('$');
    appendHex(s, w & 0xFFFF, 4);
}

int32_t wrapped(const CodeWindow& w, int32_t address)
{
    return address < w.base ? address + 0x10000 : address;
}

} // namespace

const InstructionInfo* instructionAt(const CodeWindow& w, int32_t address, uint8_t& prefix, uint8_t& opcode)
{
    address = wrapped(w, address);
    opcode = w.at(address);
    prefix = 0;
    if (isPrefixByte(opcode)) {
        prefix = opcode;
        opcode = w.at(address + 1);
    }
    return findInstruction(prefix, opcode);
}

int instructionLength(const CodeWindow& w, int32_t address)
{
    address = wrapped(w, address);
    uint8_t op = w.at(address);
    uint8_t page = prefixPage[op];
    if (page)
        op = w.at(address + 1);
    return opcodeFacts[page][op].length;
}

void DisassembleOne(const CodeWindow& w, int32_t& address, int16_t& length, std::string& text, DecoderState* state)
{
    address = wrapped(w, address);
    uint8_t prefix, opcode;
    const InstructionInfo* e = instructionAt(w, address, prefix, opcode);
    int32_t p = address + (prefix ? 2 : 1);  // first operand byte
    OperandFormat format = e ? e->format : OperandFormat::Inherent;
    if (state) {
        state->lastOpcode = opcode;
        state->operandFormat = format;
    }
    text.clear();
    if (!e) {
        length = static_cast<int16_t>(prefix ? 2 : 1);
        text = "???";
        return;
    }
    length = e->length;
    text = e->mnemonic;
    if (format == OperandFormat::Inherent)
        return;
    text.resize(6, ' ');

    uint8_t b0 = w.at(p), b1 = w.at(p + 1), b2 = w.at(p + 2);
    // Target of a branch: the address after the whole instruction plus the
    // signed offset in its last byte.
    auto target = [&](uint8_t offset) {
        return static_cast<uint32_t>(address + e->length + static_cast<int8_t>(offset));
    };
    switch (format) {
    case OperandFormat::Inherent:
        break;
    case OperandFormat::Immediate8:
        text.push_back('#');
        appendByte(text, b0);
        break;
    case OperandFormat::Immediate16:
        text.push_back('#');
        appendWord(text, b0 << 8 | b1);
        break;
    case OperandFormat::Direct:
        appendByte(text, b0);
        break;
    case OperandFormat::Extended:
        appendWord(text, b0 << 8 | b1);
        break;
    case OperandFormat::IndexedX:
    case OperandFormat::IndexedY:
        appendByte(text, b0);
        text += format == OperandFormat::IndexedX ? ",X" : ",Y";
        break;
    case OperandFormat::BitDirect:
    case OperandFormat::BitBranchDirect:
        appendByte(text, b0);
        text.push_back(' ');
        appendByte(text, b1);
        if (format == OperandFormat::BitBranchDirect) {
            text.push_back(' ');
            appendWord(text, target(b2));
        }
        break;
    case OperandFormat::BitIndexedX:
    case OperandFormat::BitBranchIndexedX:
    case OperandFormat::BitIndexedY:
    case OperandFormat::BitBranchIndexedY: {
        bool onX = format == OperandFormat::BitIndexedX || format == OperandFormat::BitBranchIndexedX;
        appendByte(text, b0);
        text += onX ? ",X " : ",Y ";
        appendByte(text, b1);
        if (format == OperandFormat::BitBranchIndexedX || format == OperandFormat::BitBranchIndexedY) {
            text.push_back(' ');
            appendWord(text, target(b2));
        }
        break;
    }
    case OperandFormat::Relative:
        appendWord(text, target(b0));
        break;
    }
}

} // namespace zelk
