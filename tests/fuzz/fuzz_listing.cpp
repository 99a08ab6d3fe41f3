// Fuzz target: the assembler listing as the symbol loader reads it, with
// the lookups the dialogs and the disassembler make afterwards. Every entry
// keeps its address and code length in bounds.
#include "FuzzInput.h"
#include "editor/SymbolTable.h"

#include <cctype>
#include <sstream>
#include <string>

using zelk::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const std::string text(in.rest());

    std::istringstream stream(text);
    zelk::SymbolTable table;
    const zelk::SymbolLoadResult r = zelk::LoadSymbols(stream, table);
    FUZZ_CHECK(r.ok);
    FUZZ_CHECK(table.count() <= zelk::SymbolTable::MaxEntries);
    for (const zelk::SymbolEntry& e : table) {
        FUZZ_CHECK(e.Value >= 0 && e.Value <= 0xFFFF);
        FUZZ_CHECK(e.CodeLength >= 0 && e.CodeLength <= zelk::listing::MaxCodeBytes);
        // An upper-case label is found again (the lookup upper-cases its name).
        std::string upper = e.Label;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!e.Label.empty() && upper == e.Label) {
            const int32_t found = table.lookup(e.Label);
            FUZZ_CHECK(found >= 0 && found <= 0xFFFF);
        }
        const zelk::SymbolEntry* s = table.sourceFor(e.Value, e.Code.data(), e.CodeLength);
        FUZZ_CHECK(e.CodeLength == 0 || s != nullptr);
    }
    (void)zelk::symbolsStatusText(table, "t.lst");
    return 0;
}
