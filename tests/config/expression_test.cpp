#include <gtest/gtest.h>

#include <chrono>

#include "config_test_support.h"

namespace {

using Strings = std::vector<std::string>;

const std::string missingArguments = "<< ${ }: missing arguments>>";
const std::string firstIndex = "<<1st index out of range>>";
const std::string secondIndex = "<<2nd index out of range>>";
const std::string tooCostly = "<<${ } expression too costly>>";

std::string undefined(const std::string& name) { return "<<${ } variable '" + name + "' undefined>>"; }

// v has the elements a, b, c; w and self hold unevaluated expressions.
std::unique_ptr<ConfigStore> sample_store() {
    return parsed_store({"x", "v=a b c", "w=${:${+ 1 2} z}", "self=${:${!self}}", "[sec]",
                         "v=inner", "[]"});
}

struct ExpressionCase {
    std::string text;
    std::string result;
    std::string trace = "";
};

TEST(Expression, EvaluatesEachOperator) {
    const ExpressionCase cases[] = {
        // Arithmetic, and the number format with a three-digit exponent.
        {"+ 1 2", "3.000000e+000"},       {"+ 7", "7.000000e+000"},
        {"+ 1 x", "1.000000e+000"},       {"+ 12abc 1", "1.300000e+001"},
        {"- 10 2 3", "5.000000e+000"},    {"* 2 3 4", "2.400000e+001"},
        {"^ 2 3 2", "6.400000e+001"},     {"+ 0.5", "5.000000e-001"},
        {"- 0 1e100", "-1.000000e+100"},  {"* 1e200 1e200", "inf"},
        {"* -1e200 1e200", "-inf"},       {"^ -8 0.5", "nan"},
        {"* 1e308 10 0", "nan"},          {"+ ${+ 1 2} ${* 2 2}", "7.000000e+000"},
        // Division and its trace.
        {"/ 7 2", "3.500000e+000", "## expr = <2><2>\n## result = 3.5\n"},
        {"/ 100 4 5", "5.000000e+000", "## expr = <4><4>\n## expr = <5><5>\n## result = 5\n"},
        {"/ 1 3", "3.333333e-001", "## expr = <3><3>\n## result = 0.333333\n"},
        {"/ 0 5", "0.0"},
        {"/ 6 0", "0.0", "## expr = <0><0>\n"},
        {"/ 6 x 2", "0.0", "## expr = <x><0>\n"},
        {"/ 6", "0.0", "## expr = <" + missingArguments + "><0>\n"},
        // Comparisons: numbers when both sides have one, texts otherwise.
        {"== b a b c", "2"},  {"== 2 2.0", "1"},  {"> 5 7 3", "2"},   {"< abc abd", "1"},
        {"== x y", "0"},      {"== 1e37 1.0e37", "0"},                {">= 3 4 3", "2"},
        {"<= 3 2 3", "2"},    {"< 10 9", "0"},    {"> b a", "1"},     {"< ab abc", "1"},
        {"== \xe9 e", "0"},   {"> \xe9 z", "1"},  {"== a", "0"},
        // A NaN stands in no relation, and a number beyond the no-value marker
        // compared with a text is compared as text.
        {"== nan nan", "0"},  {">= nan 1 nan", "0"},  {"<= 1 nan", "0"},   {"< 1e38 a", "1"},
        // Selection.
        {"?? 2 a b c", "b"},  {"?? 0 a b c", "0"}, {"?? 3 a b c", "c"}, {"?? -1 a b c", "c"},
        {"?? x a b c", "c"},  {"?? 0.4 a b", "0.4"}, {"?? 1.5 a b c", "b"}, {"?? nan a b", "b"},
        // Condition.
        {"? 1 yes no", "yes"}, {"? 1.0 yes no", "yes"}, {"? 2 yes no", "no"},
        {"? abc yes no", "no"}, {"? 0 yes", undefined("?")}, {"? 1", missingArguments},
        // Replacement.
        {"<-> hello l L", "heLLo"}, {"<-> aab ab b", "b"}, {"<-> abc ${:} x", "abc"},
        {"<-> aXa a aa", "aaXaa"}, {"<-> abab ab xaby", "xabyxaby"},
        {"<-> abc b", "a" + missingArguments + "c"},
        {"<-> aaaaaaaaaaaaaaaaaaaaaaaab ab bbaa", "<<${ } replacement does not end>>"},
        // Text pieces.
        {"@: abcdef 1 3", "bcd"}, {"@: abcdef 2", "c"}, {"@: abcdef 2 -1", "cdef"},
        {"@: abcdef 5", firstIndex}, {"@: abcdef 4 2", secondIndex},
        {"@: abcdef 1 9", secondIndex}, {"@: a 0", firstIndex}, {"@: abcdef x", firstIndex},
        {"@: abcdef 3.6 4.5", "ef"}, {"@: ${:a b} 1", " "}, {"@: abcdef 1 x", secondIndex},
        // Element access.
        {"@ v 1", "b"}, {"@ v 0 1", "a b"}, {"@ v 1 -1", "b c"}, {"@ v 0 2", "a b c"},
        {"@ v 3", firstIndex}, {"@ v 0 3", secondIndex}, {"@ v 2.6", firstIndex},
        {"@ v 2.6 -1", firstIndex}, {"@ v ${+ 0 1}", "b"}, {"@ nosuch 0", undefined("nosuch")},
        {"@ v 0 x", secondIndex},
        // Joining, quoting, variables.
        {"& a b c", "abc"}, {"&", ""}, {"& ${:a b} c", "a bc"}, {"& a$b $", "a$b$"},
        {":abc def", "abc def"}, {": x", " x"}, {":${v}", "${v}"},
        {"nosuch", undefined("nosuch")}, {"v extra", "a b c"}, {"", undefined("")},
        {"x${:a b}y", undefined("xa by")},
        // Indirect values.
        {"!w", "3.000000e+000"}, {"!nosuch", undefined("nosuch")},
        {"!self", "<<${ } expression nested too deeply>>"},
    };
    for (const ExpressionCase& c : cases) {
        auto store = sample_store();
        CapturedStderr trace;
        EXPECT_EQ(store->expand_expression(c.text), c.result) << c.text;
        EXPECT_EQ(trace.text(), c.trace) << c.text;
    }
}

TEST(Expression, SplitsArguments) {
    const struct {
        std::string text;
        unsigned minimum;
        Strings expected;
    } cases[] = {
        {"  a   b  ", 1, {"a", "b"}},
        {"", 2, {"", missingArguments}},
        {" \t ", 1, {""}},
        {"a ${b", 1, {"a", "${b"}},
        {"a ${b c ${:d} e", 1, {"a", "${b c d e"}},
        {"x${:a b}y", 1, {"xa by"}},
        {"a}b c", 1, {"a}b", "c"}},
        {"a ${:} b", 1, {"a", "", "b"}},
        {"a b c", 2, {"a", "b", "c"}},
        {"$", 3, {"$", missingArguments, missingArguments}},
        {"${:${:x}}", 1, {"x"}},
    };
    for (const auto& c : cases) {
        auto store = sample_store();
        EXPECT_EQ(store->split_expression_arguments(c.text, c.minimum), c.expected) << c.text;
    }
}

TEST(Expression, ResolvesInSectionFirstAndKeepsPrefix) {
    auto store = sample_store();
    store->lookup_prefix = "kept/";
    store->current_section = "sec/";
    EXPECT_EQ(store->resolve_variable("v").original, "inner");
    EXPECT_EQ(store->resolve_variable("w").original, "${+ 1 2} z");
    EXPECT_EQ(store->expand_expression("@ v 0"), "inner");
    const ConfigStore::variable& missing = store->resolve_variable("nosuch");
    EXPECT_EQ(missing.name, "");
    EXPECT_EQ(missing.original, undefined("nosuch"));
    EXPECT_EQ(store->lookup_prefix, "kept/");
}

TEST(Expression, VariableWithEmptyNameIsDefined) {
    auto store = parsed_store({"x", "=a b", "n=${@ ${:} 1}"});
    EXPECT_EQ(store->lookup("n", ""), std::string("b"));
}

// Each a<k> refers twice to a<k-1>, so evaluating a40 would take 2^40 steps.
TEST(Expression, WorkBudgetStopsDoublingChains) {
    Strings list = {"x", "a0=x"};
    for (int k = 1; k <= 40; ++k) {
        const std::string previous = "${!a" + std::to_string(k - 1) + "}";
        list.push_back("a" + std::to_string(k) + "=${:${&" + previous + previous + "}}");
    }
    list.insert(list.end(), {"small=${!a3}", "costly=${!a40} and ${+ 1 1}", "after=${+ 1 1}"});
    const auto start = std::chrono::steady_clock::now();
    auto store = parsed_store(list);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_STREQ(store->lookup("small", ""), "xxxxxxxx");
    EXPECT_EQ(store->lookup("costly", ""), tooCostly + " and " + tooCostly);
    EXPECT_STREQ(store->lookup("after", ""), "2.000000e+000");
}

TEST(Expression, ByteBudgetStopsGrowingTexts) {
    const std::string hundred_a(100, 'a');
    const std::string kilobyte(1000, 'k');
    std::string join = "huge=${&";
    for (int i = 0; i < 50; ++i) join += " ${big}";
    auto store = parsed_store({"x", "big=${<-> " + hundred_a + " a " + kilobyte + "}", join + "}",
                               "after=${@: ${big} 2}"});
    EXPECT_EQ(std::string(store->lookup("big", "")).size(), 100000u);
    EXPECT_EQ(store->lookup("huge", ""), tooCostly);
    EXPECT_STREQ(store->lookup("after", ""), "k");
}

}  // namespace
