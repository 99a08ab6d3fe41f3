// The assembler's view of the one instruction table: for each mnemonic
// (upper case, plus the usual aliases ASL.. = LSL.., BHS = BCC, BLO = BCS)
// the table entry of each operand format it has. Built once from
// zelk::instructionSet(); there is no second opcode table.
#pragma once

#include "code/InstructionSet.h"

#include <array>
#include <string_view>

namespace zelk::as11 {

constexpr size_t formatCount = 14;

struct MnemonicForms {
    std::array<const InstructionInfo*, formatCount> byFormat{};

    const InstructionInfo* get(OperandFormat f) const { return byFormat[static_cast<size_t>(f)]; }
    bool has(OperandFormat f) const { return get(f) != nullptr; }
    bool inherentOnly() const;
    bool isBitSetClear() const { return has(OperandFormat::BitDirect) || has(OperandFormat::BitIndexedX); }
    bool isBitBranch() const { return has(OperandFormat::BitBranchDirect) || has(OperandFormat::BitBranchIndexedX); }
};

// Forms of a mnemonic in any letter case, or nullptr when it is not an
// instruction.
const MnemonicForms* findMnemonic(std::string_view mnemonic);

} // namespace zelk::as11
