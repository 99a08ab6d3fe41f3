// Directive names and their lookup.
#include "Directive.h"

#include "SymbolTable.h"

namespace zelk::as11 {

namespace {

struct DirectiveName {
    const char* name;
    Directive directive;
};

constexpr DirectiveName directiveNames[] = {
    {"ORG", Directive::Org}, {"EQU", Directive::Equ}, {"SET", Directive::Set},
    {"FCB", Directive::Fcb}, {"FDB", Directive::Fdb}, {"FCC", Directive::Fcc},
    {"RMB", Directive::Rmb}, {"RMW", Directive::Rmw}, {"BSZ", Directive::Bsz},
    {"ZMB", Directive::Bsz}, {"FILL", Directive::Fill}, {"END", Directive::End},
    {"OPT", Directive::Ignored}, {"PAGE", Directive::Ignored}, {"NAM", Directive::Ignored},
    {"TTL", Directive::Ignored}, {"SPC", Directive::Ignored},
};

} // namespace

Directive findDirective(std::string_view word)
{
    if (word.size() < 3 || word.size() > 4)
        return Directive::None;
    for (const auto& d : directiveNames) {
        std::string_view n = d.name;
        if (n.size() != word.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < n.size() && same; ++i)
            same = upperAscii(word[i]) == n[i];
        if (same)
            return d.directive;
    }
    return Directive::None;
}

} // namespace zelk::as11
