// The assembler directives as11 accepts, and their lookup by name. The IDE's
// syntax colouring asks the same lookup, so it colours exactly these.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelk::as11 {

enum class Directive : uint8_t {
    None, Org, Equ, Set, Fcb, Fdb, Fcc, Rmb, Rmw, Bsz, Fill, End,
    Ignored  // accepted, operand and rest of the line ignored (OPT, PAGE, ...)
};

// The directive named word in any letter case, or Directive::None.
Directive findDirective(std::string_view word);

} // namespace zelk::as11
