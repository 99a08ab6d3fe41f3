// as11: a two-pass assembler for the Motorola 68HC11 in the classic Motorola
// source style. It turns source text into the three products the IDE reads:
// a listing in the fixed column layout the symbol loader parses, an error
// listing of "LINE: message" lines, and S1/S9 S-records. Everything happens
// in memory, so tests and benchmarks call it in-process; main.cpp only adds
// the file handling.
#pragma once

#include "SymbolTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::as11 {

struct AssemblerOptions {
    std::string moduleName = "as11";  // text of the S0 header record
    bool symbolTableInListing = true; // append the sorted symbol table
};

// Errors reported per assembly; a last error line says when more were
// dropped (a file of garbage must not produce a gigabyte of messages).
constexpr size_t maxErrors = 9999;  // with the note: 10000 lines

struct AssemblyError {
    int line = 0;          // 1-based source line
    std::string message;
};

// Bytes placed at consecutive addresses, in the order the source emitted them.
struct Segment {
    uint16_t address = 0;
    std::vector<uint8_t> bytes;
};

struct AssemblyResult {
    std::string listing;                 // .lst text
    std::string srecords;                // .s19 text (S0, S1..., S9)
    std::vector<AssemblyError> errors;   // in source order
    std::vector<Segment> segments;
    int32_t startAddress = -1;           // END operand, -1 when none
    SymbolTable symbols;
    int lineCount = 0;

    bool ok() const { return errors.empty(); }
    // The error listing: one "LINE: message" line per error.
    std::string errorText() const;
};

AssemblyResult assemble(std::string_view source, const AssemblerOptions& options = {});

// Listing layout (1-based columns): line number 1-4 (decimal, zero-padded,
// the last four digits beyond line 9999), space, address 6-9 (hex), space,
// five code-byte slots at 11-12, 14-15, 17-18, 20-21, 23-24, three spaces,
// source text from column 28. Only lines that have an address use it.
constexpr size_t listingSourceColumn = 28;
constexpr int listingBytesPerLine = 5;

// Formats S-records for the segments: S0 header, S1 records of at most
// maxDataBytes data bytes, and an S9 record with the start address.
std::string formatSRecords(const std::vector<Segment>& segments, uint16_t start,
                           std::string_view header, size_t maxDataBytes = 32);

} // namespace zelk::as11
