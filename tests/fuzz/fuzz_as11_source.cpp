// Fuzz target: the assembler reading a source text. Whatever the text, the
// listing's address lines fit the layout the symbol loader reads, every
// error names a line of the source, the error count stays under its cap,
// and a clean assembly gives S-records that the IDE's parser accepts.
#include "Assembler.h"
#include "FuzzInput.h"
#include "editor/SymbolTable.h"
#include "link/SRecord.h"

#include <sstream>
#include <string>

using zelk::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const std::string_view source = in.rest();

    const zelk::as11::AssemblyResult r = zelk::as11::assemble(source);
    FUZZ_CHECK(r.errors.size() <= zelk::as11::maxErrors + 1);
    for (const auto& e : r.errors)
        FUZZ_CHECK(e.line >= 0 && e.line <= r.lineCount + 1);

    std::istringstream listing(r.listing);
    zelk::SymbolTable table;
    FUZZ_CHECK(zelk::LoadSymbols(listing, table).ok);

    if (r.ok()) {
        std::istringstream records(r.srecords);
        std::string line;
        while (std::getline(records, line)) {
            if (line.rfind("S1", 0) != 0)
                continue;
            zelk::SRecord rec;
            FUZZ_CHECK(zelk::parseS1Record(line, rec) == zelk::SRecordStatus::Valid);
        }
    }
    return 0;
}
