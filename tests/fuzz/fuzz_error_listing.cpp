// Fuzz target: the assembler's error listing as the error list reads it.
// Listed lines have a line number above 0 and within the caps; Show Error
// never places the caret outside the editor.
#include "FuzzInput.h"
#include "editor/ErrorList.h"

#include <sstream>
#include <string>

using zelk::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const int32_t lastLine = in.word();
    const std::string text(in.rest());

    std::istringstream stream(text);
    const zelk::ErrorListing r = zelk::parseErrorListing(stream);
    FUZZ_CHECK(r.ok);
    FUZZ_CHECK(r.lines.size() <= zelk::MaxErrorLines);
    for (const zelk::ErrorLine& e : r.lines) {
        FUZZ_CHECK(e.line > 0 && e.line <= 0xFFFF);
        FUZZ_CHECK(e.text.size() <= zelk::MaxErrorLineLength);
        FUZZ_CHECK(zelk::errorLineNumber(e.text) == e.line);
        const int32_t caret = zelk::errorCaretLine(e.line, lastLine);
        FUZZ_CHECK(caret >= 0 && caret <= lastLine);
    }
    return 0;
}
