// Fuzz target: the input-output unit window's conversions between typed
// text and the unit's byte. Whatever is typed gives either "error" or eight
// bits, and eight bits shown in any format convert back to the same bits.
#include "FuzzInput.h"
#include "terminal/IoConversions.h"

#include <string>

using zelk::fuzz::FuzzInput;

namespace {

bool isBits(const std::string& s)
{
    if (s.size() != 8)
        return false;
    for (char c : s)
        if (c != '0' && c != '1')
            return false;
    return true;
}

void checkConverted(const std::string& bits)
{
    FUZZ_CHECK(bits == zelk::ConversionError || isBits(bits));
    if (!isBits(bits))
        return;
    const int value = zelk::bitsToByte(bits);
    FUZZ_CHECK(value >= 0 && value <= 255);
    FUZZ_CHECK(zelk::byteToBits(static_cast<uint8_t>(value)) == bits);
    FUZZ_CHECK(zelk::fromHex(zelk::toHex(bits)) == bits);
    FUZZ_CHECK(zelk::fromInt(zelk::toInt(bits, zelk::IntMode::Unsigned), zelk::IntMode::Unsigned) == bits);
    FUZZ_CHECK(zelk::fromInt(zelk::toInt(bits, zelk::IntMode::Signed), zelk::IntMode::Signed) == bits);
    FUZZ_CHECK(zelk::fromBinary(bits) == bits);
    const std::string bcd = zelk::toBCD(bits);
    FUZZ_CHECK(bcd == zelk::ConversionError || (bcd.size() == 2 && bcd[0] >= '0' && bcd[0] <= '9' &&
                                                bcd[1] >= '0' && bcd[1] <= '9'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const std::string_view text = in.rest();

    checkConverted(zelk::fromInt(text, zelk::IntMode::Signed));
    checkConverted(zelk::fromInt(text, zelk::IntMode::Unsigned));
    checkConverted(zelk::fromHex(text));
    checkConverted(zelk::fromBinary(text));
    // The "to" side must also survive bits that are not bits.
    for (const std::string& s : {zelk::toInt(text, zelk::IntMode::Signed), zelk::toInt(text, zelk::IntMode::Unsigned),
                                 zelk::toHex(text), zelk::toBCD(text)})
        FUZZ_CHECK(s.size() <= text.size() + 8);
    const int v = zelk::bitsToByte(text);
    FUZZ_CHECK(v >= -1 && v <= 255);
    const std::string stripped = zelk::removeLeadingZeroes(text);
    FUZZ_CHECK(stripped.size() <= text.size());
    return 0;
}
