// The line <-> address map of an assembled source, read from the assembler's
// listing: which source line holds the instruction at an address (the editor
// marks the line of the program counter while stepping), and which address an
// instruction line was assembled to (the editor's margin sets breakpoints by
// line). Built from the same listing the symbol table is read from.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// One source line that has an address in the listing.
struct SourceLine {
    enum class Kind : uint8_t {
        Code,     // an instruction: its bytes are executed
        Data,     // FCB, FDB, FCC, FILL, BSZ, ZMB, RMB, RMW
        Address,  // a label alone, or a labelled ORG: an address, no bytes
    };
    int line = 0;         // 1-based line of the source
    int32_t address = 0;  // 0..$FFFF
    int length = 0;       // bytes the line emits, its continuation lines included
    Kind kind = Kind::Code;
    std::array<uint8_t, 5> code{};  // the bytes on the line's own listing line
    int codeCount = 0;              // how many of them, 0..5
};

class SourceMap {
public:
    void clear();
    bool empty() const { return lines_.empty(); }
    // The lines with an address, in listing (source) order.
    const std::vector<SourceLine>& lines() const { return lines_; }

    // Reads one listing line; lines of any other kind (comments, EQU, errors,
    // the symbol table at the end) are ignored. Feed the lines in order: a
    // line number below the previous one means the four-digit field wrapped
    // past 9999, and a continuation line adds its bytes to the line before.
    void addListingLine(std::string_view line);

    // The 1-based source line of the instruction at `address`: the last
    // instruction line in source order assembled there (after an ORG back,
    // the later code is the one in memory); without one, the data line whose
    // bytes cover the address. 0 when no line does.
    int lineFor(int32_t address) const;
    // The address of the instruction on 1-based source line `line`, or -1
    // when the line holds no instruction (a comment, EQU, data, a lone label).
    int32_t addressOfLine(int line) const;
    // The entry of 1-based source line `line`, or null.
    const SourceLine* entryOfLine(int line) const;
    // Whether memory holds what the listing put on this line: the first
    // `count` bytes of `memory` (read from the line's address) equal its
    // bytes. A line without bytes always matches.
    static bool holds(const SourceLine& line, const uint8_t* memory, int count);

private:
    void buildIndex() const;

    std::vector<SourceLine> lines_;
    int lastField_ = -1;  // the previous line-number field, 0..9999
    int wraps_ = 0;       // times the field wrapped past 9999
    mutable std::vector<uint32_t> byAddress_;  // Code and Data entries by address, then source order
    mutable bool indexed_ = false;
};

// Reads a listing from `in` into `map` (replacing it). Returns false, with
// the system's description in `error`, when the input cannot be read; the
// lines read before the failure stay.
bool LoadSourceMap(std::istream& in, SourceMap& map, std::string& error);
bool LoadSourceMap(const std::filesystem::path& listing, SourceMap& map, std::string& error);

} // namespace zelk
