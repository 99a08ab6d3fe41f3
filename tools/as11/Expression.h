// Expression evaluation for as11 operands.
//
// Terms: decimal numbers, $hex, %binary, @octal, 'c' (or 'c without the
// closing quote) character constants, symbols, and * for the location
// counter. Operators, loosest first: |  ^  &  << >>  + -  * / %, then the
// unary - ~ + and parentheses. Arithmetic is 32-bit two's complement; the
// caller checks that the result fits the 8- or 16-bit field it goes into.
#pragma once

#include "SymbolTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::as11 {

struct ExprResult {
    int32_t value = 0;
    bool known = true;       // false: a symbol is not (yet) defined
    std::string error;       // syntax or evaluation error, empty when fine
    std::string undefined;   // the first symbol that was not defined
    bool ok() const { return error.empty(); }
};

// Nesting limit for parentheses and unary operators, so that hostile input
// cannot exhaust the stack.
constexpr int maxExpressionDepth = 64;

class ExpressionEvaluator {
public:
    ExpressionEvaluator(const SymbolTable& symbols, int32_t locationCounter)
        : symbols_(symbols), pc_(locationCounter) {}

    // Evaluates all of text; anything left over is an error.
    ExprResult evaluate(std::string_view text);

private:
    int32_t parseBinary(int minPrec);
    int32_t parseUnary();
    int32_t parsePrimary();
    int32_t parseNumber();
    int32_t parseSymbol();
    void skipSpaces();
    void fail(std::string message);
    int binaryOperator(int& length) const;

    const SymbolTable& symbols_;
    int32_t pc_;
    std::string_view text_;
    size_t pos_ = 0;
    int depth_ = 0;
    ExprResult result_;
};

// True for characters that may start / continue a symbol name.
inline bool isSymbolStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '.';
}
inline bool isSymbolChar(char c)
{
    return isSymbolStart(c) || (c >= '0' && c <= '9');
}

// A short, printable rendering of user text for error messages.
std::string quoteForMessage(std::string_view text);

} // namespace zelk::as11
