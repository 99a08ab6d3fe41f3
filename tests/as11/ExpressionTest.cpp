// Expression evaluator: number syntax, operators and precedence, symbols,
// and the errors it reports.
#include "Expression.h"

#include <gtest/gtest.h>

using namespace zelk::as11;

namespace {

struct ValueCase {
    const char* text;
    int32_t value;
};

class ExpressionValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ExpressionValue, Evaluates)
{
    SymbolTable symbols;
    Symbol& s = symbols.add("Ten", SymbolKind::Equ, 1);
    s.value = 10;
    s.known = true;
    ExpressionEvaluator ev(symbols, 0xE000);
    ExprResult r = ev.evaluate(GetParam().text);
    ASSERT_TRUE(r.ok()) << GetParam().text << ": " << r.error;
    EXPECT_TRUE(r.known);
    EXPECT_EQ(r.value, GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Numbers, ExpressionValue, ::testing::Values(
    ValueCase{"0", 0}, ValueCase{"65535", 65535}, ValueCase{"$ff", 255}, ValueCase{"$FFFF", 0xFFFF},
    ValueCase{"%1010", 10}, ValueCase{"@17", 15}, ValueCase{"'A'", 65}, ValueCase{"'a", 97},
    ValueCase{"' '", 32}, ValueCase{"'''", 39}, ValueCase{"*", 0xE000}, ValueCase{"$0000001", 1}));

INSTANTIATE_TEST_SUITE_P(Operators, ExpressionValue, ::testing::Values(
    ValueCase{"1+2*3", 7}, ValueCase{"(1+2)*3", 9}, ValueCase{"10-4-3", 3}, ValueCase{"100/7", 14},
    ValueCase{"100%7", 2}, ValueCase{"$F0&$3C", 0x30}, ValueCase{"$F0|$0F", 0xFF}, ValueCase{"$FF^$0F", 0xF0},
    ValueCase{"1<<4", 16}, ValueCase{"$80>>3", 16}, ValueCase{"~0", -1}, ValueCase{"-5", -5},
    ValueCase{"--5", 5}, ValueCase{"-(2+3)*2", -10}, ValueCase{"1+2<<1", 6}, ValueCase{"1|2&3", 3},
    ValueCase{"%11 % 2", 1}, ValueCase{"* + 2", 0xE002}, ValueCase{"**2", 0x1C000}, ValueCase{"~$FF&$FFFF", 0xFF00},
    ValueCase{"1<<40", 0}, ValueCase{"ten*2", 20}, ValueCase{"TEN+Ten", 20}, ValueCase{"+3", 3}));

struct ErrorCase {
    const char* text;
    const char* fragment;
};

class ExpressionError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ExpressionError, Reports)
{
    SymbolTable symbols;
    ExpressionEvaluator ev(symbols, 0);
    ExprResult r = ev.evaluate(GetParam().text);
    ASSERT_FALSE(r.ok()) << GetParam().text;
    EXPECT_NE(r.error.find(GetParam().fragment), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(Syntax, ExpressionError, ::testing::Values(
    ErrorCase{"", "missing"}, ErrorCase{"1+", "missing term"}, ErrorCase{"(1+2", "missing ')'"},
    ErrorCase{"$", "bad number"}, ErrorCase{"$G1", "bad number"}, ErrorCase{"%102", "bad number"},
    ErrorCase{"@8", "bad number"}, ErrorCase{"12a", "bad number"}, ErrorCase{"1/0", "division by zero"},
    ErrorCase{"5%0", "division by zero"}, ErrorCase{"99999999999", "too large"}, ErrorCase{"1 2", "unexpected"},
    ErrorCase{"1)", "unexpected"}, ErrorCase{"#1", "unexpected"}, ErrorCase{"'", "missing character"}));

TEST(Expression, UndefinedSymbolIsUnknownNotAnError)
{
    SymbolTable symbols;
    ExpressionEvaluator ev(symbols, 0);
    ExprResult r = ev.evaluate("Later+1");
    EXPECT_TRUE(r.ok());
    EXPECT_FALSE(r.known);
    EXPECT_EQ(r.undefined, "Later");
}

TEST(Expression, DivisionByUnknownIsDeferred)
{
    SymbolTable symbols;
    ExpressionEvaluator ev(symbols, 0);
    ExprResult r = ev.evaluate("10/Later");
    EXPECT_TRUE(r.ok());
    EXPECT_FALSE(r.known);
}

TEST(Expression, NestingIsLimited)
{
    SymbolTable symbols;
    ExpressionEvaluator ev(symbols, 0);
    std::string ok = std::string(maxExpressionDepth, '(') + "1" + std::string(maxExpressionDepth, ')');
    EXPECT_EQ(ev.evaluate(ok).value, 1);
    std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
    ExprResult r = ev.evaluate(deep);
    EXPECT_NE(r.error.find("too deeply nested"), std::string::npos);
    ExprResult u = ev.evaluate(std::string(100000, '-') + "1");
    EXPECT_NE(u.error.find("too deeply nested"), std::string::npos);
}

TEST(Expression, MessagesQuoteOnlyPrintableText)
{
    EXPECT_EQ(quoteForMessage(std::string("a\0b\n", 4)), "a?b?");
    EXPECT_EQ(quoteForMessage(std::string(100, 'x')).size(), 43u);
}

} // namespace
