// Motorola S-record lines: the parser of the "S1" data records that the
// download puts into the target. Kept apart from the download itself so that
// every target (and any other reader of .s19 files) decodes records alike.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zelk {

// One "S1" record: a 16-bit load address and its data bytes.
struct SRecord {
    static constexpr int MaxData = 252;  // a one-byte count less address and checksum
    int32_t address = 0;
    int count = 0;                       // number of data bytes, 0..MaxData
    std::array<uint8_t, MaxData> data{};
};

enum class SRecordStatus {
    Valid,        // an "S1" record whose checksum holds
    NotData,      // any other line (S0, S9, blank, text): not an error
    Malformed,    // "S1" but too short for its count, a count below 3, or a non-hex digit
    BadChecksum,  // well formed, but the bytes do not add up to $FF
};

// Decodes one line (a trailing carriage return and line feed are ignored).
// Layout: "S1", count (bytes that follow), address (2 bytes), count - 3 data
// bytes, checksum; two hexadecimal digits (either case) per byte. Valid when
// count + address bytes + data + checksum = $FF modulo 256. Blanks after
// the checksum are allowed; any other character there makes the line
// Malformed. rec is filled only for a Valid record.
SRecordStatus parseS1Record(std::string_view line, SRecord& rec);

} // namespace zelk
