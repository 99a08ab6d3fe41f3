// Builds the mnemonic -> operand format -> table entry index.
#include "OpcodeIndex.h"

#include "SymbolTable.h"

#include <string>
#include <unordered_map>

namespace zelk::as11 {

namespace {

using Index = std::unordered_map<std::string, MnemonicForms>;

Index buildIndex()
{
    Index index;
    for (const InstructionInfo& info : instructionSet()) {
        MnemonicForms& forms = index[info.mnemonic];
        forms.byFormat[static_cast<size_t>(info.format)] = &info;
    }
    // Other common spellings of the same opcodes.
    static const char* const aliases[][2] = {
        {"ASL", "LSL"}, {"ASLA", "LSLA"}, {"ASLB", "LSLB"}, {"ASLD", "LSLD"},
        {"LSL", "ASL"}, {"LSLA", "ASLA"}, {"LSLB", "ASLB"}, {"LSLD", "ASLD"},
        {"BHS", "BCC"}, {"BLO", "BCS"},
    };
    for (const auto& a : aliases) {
        if (index.count(a[0]) == 0) {
            auto it = index.find(a[1]);
            if (it != index.end())
                index[a[0]] = it->second;
        }
    }
    return index;
}

} // namespace

bool MnemonicForms::inherentOnly() const
{
    for (size_t f = 1; f < formatCount; ++f)
        if (byFormat[f])
            return false;
    return byFormat[0] != nullptr;
}

const MnemonicForms* findMnemonic(std::string_view mnemonic)
{
    static const Index index = buildIndex();
    char buf[8];
    if (mnemonic.empty() || mnemonic.size() > sizeof buf)
        return nullptr;
    for (size_t i = 0; i < mnemonic.size(); ++i)
        buf[i] = upperAscii(mnemonic[i]);
    auto it = index.find(std::string(buf, mnemonic.size()));
    return it == index.end() ? nullptr : &it->second;
}

} // namespace zelk::as11
