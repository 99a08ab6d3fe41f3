// Recursive-descent expression evaluator with precedence climbing.
#include "Expression.h"

namespace zelk::as11 {

namespace {

int32_t wrap(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

} // namespace

std::string quoteForMessage(std::string_view text)
{
    constexpr size_t maxShown = 40;
    std::string out;
    for (size_t i = 0; i < text.size() && i < maxShown; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20 || c >= 0x7F) ? '?' : static_cast<char>(c);
    }
    if (text.size() > maxShown)
        out += "...";
    return out;
}

ExprResult ExpressionEvaluator::evaluate(std::string_view text)
{
    text_ = text;
    pos_ = 0;
    depth_ = 0;
    result_ = ExprResult{};
    skipSpaces();
    if (pos_ >= text_.size()) {
        fail("missing expression");
        return result_;
    }
    int32_t v = parseBinary(0);
    skipSpaces();
    if (result_.ok() && pos_ < text_.size())
        fail("unexpected '" + quoteForMessage(text_.substr(pos_, 1)) + "' in expression");
    result_.value = result_.ok() ? v : 0;
    return result_;
}

void ExpressionEvaluator::fail(std::string message)
{
    if (result_.error.empty())
        result_.error = std::move(message);
    pos_ = text_.size();  // stop parsing
}

void ExpressionEvaluator::skipSpaces()
{
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
        ++pos_;
}

// Precedence of the binary operator at pos_ (0 when none), and its length.
int ExpressionEvaluator::binaryOperator(int& length) const
{
    length = 1;
    if (pos_ >= text_.size())
        return 0;
    char c = text_[pos_];
    char n = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
    switch (c) {
    case '|': return 1;
    case '^': return 2;
    case '&': return 3;
    case '<': if (n == '<') { length = 2; return 4; } return 0;
    case '>': if (n == '>') { length = 2; return 4; } return 0;
    case '+': case '-': return 5;
    case '*': case '/': case '%': return 6;
    default: return 0;
    }
}

int32_t ExpressionEvaluator::parseBinary(int minPrec)
{
    int32_t left = parseUnary();
    for (;;) {
        skipSpaces();
        int len = 0;
        int prec = binaryOperator(len);
        if (prec == 0 || prec < minPrec || !result_.ok())
            return left;
        char op = text_[pos_];
        pos_ += static_cast<size_t>(len);
        int32_t right = parseBinary(prec + 1);
        if (!result_.ok())
            return 0;
        int64_t a = left, b = right;
        switch (op) {
        case '|': left = wrap(a | b); break;
        case '^': left = wrap(a ^ b); break;
        case '&': left = wrap(a & b); break;
        case '<': left = (b < 0 || b > 31) ? 0 : wrap(static_cast<int64_t>(static_cast<uint32_t>(left) << b)); break;
        case '>': left = (b < 0 || b > 31) ? (left < 0 ? -1 : 0) : (left >> b); break;
        case '+': left = wrap(a + b); break;
        case '-': left = wrap(a - b); break;
        case '*': left = wrap(a * b); break;
        case '/':
        case '%':
            if (b == 0) {
                if (result_.known) {
                    fail("division by zero");
                    return 0;
                }
                left = 0;  // an unknown operand: decided in the final pass
            } else {
                left = wrap(op == '/' ? a / b : a % b);
            }
            break;
        }
    }
}

int32_t ExpressionEvaluator::parseUnary()
{
    skipSpaces();
    if (pos_ >= text_.size()) {
        fail("missing term in expression");
        return 0;
    }
    char c = text_[pos_];
    if (c == '-' || c == '~' || c == '+') {
        if (++depth_ > maxExpressionDepth) {
            fail("expression too deeply nested");
            return 0;
        }
        ++pos_;
        int32_t v = parseUnary();
        --depth_;
        if (c == '-')
            return wrap(-static_cast<int64_t>(v));
        if (c == '~')
            return ~v;
        return v;
    }
    return parsePrimary();
}

int32_t ExpressionEvaluator::parsePrimary()
{
    char c = text_[pos_];
    if (c == '(') {
        if (++depth_ > maxExpressionDepth) {
            fail("expression too deeply nested");
            return 0;
        }
        ++pos_;
        int32_t v = parseBinary(0);
        skipSpaces();
        if (!result_.ok())
            return 0;
        if (pos_ >= text_.size() || text_[pos_] != ')') {
            fail("missing ')' in expression");
            return 0;
        }
        ++pos_;
        --depth_;
        return v;
    }
    if (c == '*') {
        ++pos_;
        return pc_;
    }
    if (c == '\'') {
        if (pos_ + 1 >= text_.size()) {
            fail("missing character after '");
            return 0;
        }
        int32_t v = static_cast<unsigned char>(text_[pos_ + 1]);
        pos_ += 2;
        if (pos_ < text_.size() && text_[pos_] == '\'')
            ++pos_;
        return v;
    }
    if (c == '$' || c == '%' || c == '@' || (c >= '0' && c <= '9'))
        return parseNumber();
    if (isSymbolStart(c))
        return parseSymbol();
    fail("unexpected '" + quoteForMessage(text_.substr(pos_, 1)) + "' in expression");
    return 0;
}

int32_t ExpressionEvaluator::parseNumber()
{
    size_t start = pos_;
    int base = 10;
    char c = text_[pos_];
    if (c == '$') { base = 16; ++pos_; }
    else if (c == '%') { base = 2; ++pos_; }
    else if (c == '@') { base = 8; ++pos_; }
    size_t digitsStart = pos_;
    uint64_t v = 0;
    bool tooLarge = false;
    while (pos_ < text_.size() && isSymbolChar(text_[pos_])) {
        int d = digitValue(text_[pos_]);
        if (d >= base) {
            size_t end = pos_;
            while (end < text_.size() && isSymbolChar(text_[end]))
                ++end;
            fail("bad number '" + quoteForMessage(text_.substr(start, end - start)) + "'");
            return 0;
        }
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFull) {
            tooLarge = true;
            v = 0;
        }
        ++pos_;
    }
    if (pos_ == digitsStart) {
        fail("bad number '" + quoteForMessage(text_.substr(start, 1)) + "'");
        return 0;
    }
    if (tooLarge) {
        fail("number too large '" + quoteForMessage(text_.substr(start, pos_ - start)) + "'");
        return 0;
    }
    return wrap(static_cast<int64_t>(v));
}

int32_t ExpressionEvaluator::parseSymbol()
{
    size_t start = pos_;
    while (pos_ < text_.size() && isSymbolChar(text_[pos_]))
        ++pos_;
    std::string_view name = text_.substr(start, pos_ - start);
    const Symbol* s = symbols_.find(name);
    if (s && s->known)
        return s->value;
    if (result_.known) {
        result_.known = false;
        result_.undefined = quoteForMessage(name);
    }
    return 0;
}

} // namespace zelk::as11
