// S1 record parser (see SRecord.h).
#include "link/SRecord.h"

namespace zelk {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The byte at field position i (0-based, counting two digits per byte after
// "S1"), or -1 when either digit is not hexadecimal.
int byteAt(std::string_view line, size_t i)
{
    const int hi = hexDigit(line[2 + 2 * i]);
    const int lo = hexDigit(line[3 + 2 * i]);
    return (hi < 0 || lo < 0) ? -1 : hi * 16 + lo;
}

} // namespace

SRecordStatus parseS1Record(std::string_view line, SRecord& rec)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.size() < 2 || line[0] != 'S' || line[1] != '1')
        return SRecordStatus::NotData;
    if (line.size() < 4)
        return SRecordStatus::Malformed;
    const int count = byteAt(line, 0);
    if (count < 3 || line.size() < 4 + 2 * static_cast<size_t>(count))
        return SRecordStatus::Malformed;

    // Fields 1..count: address high, address low, data, checksum.
    unsigned sum = static_cast<unsigned>(count);
    std::array<uint8_t, 256> bytes;
    for (int i = 1; i <= count; ++i) {
        const int b = byteAt(line, static_cast<size_t>(i));
        if (b < 0)
            return SRecordStatus::Malformed;
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(b);
        sum += static_cast<unsigned>(b);
    }
    if ((sum & 0xFF) != 0xFF)
        return SRecordStatus::BadChecksum;

    // Anything but blanks after the checksum is a fault of the file (two
    // records run together, a line end this reader does not know): the line
    // is refused rather than its tail silently dropped.
    for (size_t i = 4 + 2 * static_cast<size_t>(count); i < line.size(); ++i)
        if (line[i] != ' ' && line[i] != '\t')
            return SRecordStatus::Malformed;

    rec.address = bytes[1] << 8 | bytes[2];
    rec.count = count - 3;
    for (int i = 0; i < rec.count; ++i)
        rec.data[static_cast<size_t>(i)] = bytes[static_cast<size_t>(3 + i)];
    return SRecordStatus::Valid;
}

} // namespace zelk
