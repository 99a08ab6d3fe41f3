// Fuzz target: the number syntax of every address and value entry, with the
// hexadecimal decoder beside it. First byte: bit 0 chooses word or byte
// range. A number that parses lies in range, and every value shown by the
// view formats parses back to itself.
#include "FuzzInput.h"
#include "link/Conversions.h"

#include <string>

using zelk::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const bool isWord = in.flag();
    const std::string_view text = in.rest();

    const int32_t v = zelk::ParseNumber(text, isWord);
    FUZZ_CHECK(v == -1 || (v >= 0 && v <= (isWord ? 0xFFFF : 0xFF)));
    const int32_t h = zelk::HexToLong(text);
    FUZZ_CHECK(h >= 0);
    (void)zelk::ExpandTabs(text.substr(0, 512));
    std::string base, ext;
    zelk::SplitFileName(text, base, ext);
    FUZZ_CHECK(base.size() + ext.size() <= text.size());

    if (v >= 0) {
        for (char format : {' ', '$', '%'}) {
            const std::string shown = zelk::FormatValue(v, format, isWord);
            FUZZ_CHECK(zelk::ParseNumber(shown, isWord) == v);
        }
    }
    return 0;
}
