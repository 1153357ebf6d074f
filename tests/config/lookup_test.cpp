#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "config_test_support.h"

namespace {

TEST(Lookup, MissingFileGivesTheDefaultsThemselves) {
    ConfigStore store("/nonexistent/config.txt");
    const char* fallback = "data.txt";
    CapturedStderr err;
    EXPECT_EQ(store.lookup("data/file", fallback), fallback);
    EXPECT_EQ(store.lookup("display/sphere-tesel", 6), 6);
    EXPECT_EQ(store.lookup("display/sphere-r", 0.75), 0.75);
    EXPECT_EQ(err.text(), "");
    EXPECT_EQ(store.arguments, std::vector<std::string>{"/nonexistent/config.txt"});
}

TEST(Lookup, ConvertsTheOriginalText) {
    const struct {
        std::string value;
        int as_int;
        double as_double;
    } cases[] = {
        {"7.9", 7, 7.9},          {"-2.5", -2, -2.5},
        {"1e1", 10, 10.0},        {"12abc", 12, 12.0},
        {"0.5 0.7", 0, 0.5},      {"  3", 3, 3.0},
        {"abc", -1, -1.0},        {"", -1, -1.0},
        {"1e10", INT_MAX, 1e10},  {"-1e10", INT_MIN, -1e10},
        {"2147483647.9", INT_MAX, 2147483647.9},
        {"-2147483648.9", INT_MIN, -2147483648.9},
        {"nan", -1, NAN},
    };
    for (const auto& c : cases) {
        auto store = parsed_store({"x", "[s]", "k=" + c.value});
        CapturedStderr err;
        EXPECT_EQ(store->lookup("s/k", -1), c.as_int) << c.value;
        EXPECT_EQ(err.text(), "## original = " + c.value + "\n");
        const double got = store->lookup("s/k", -1.0);
        if (std::isnan(c.as_double)) {
            EXPECT_TRUE(std::isnan(got)) << c.value;
        } else {
            EXPECT_EQ(got, c.as_double) << c.value;
        }
        EXPECT_EQ(store->lookup("s/k", "d"), c.value);
    }
}

TEST(Lookup, NamesMatchExactly) {
    auto store = parsed_store({"x", "[display]", "sphere-r=0.5"});
    CapturedStderr err;
    EXPECT_EQ(store->lookup("Display/sphere-r", 2.0), 2.0);
    EXPECT_EQ(store->lookup("sphere-r", 3), 3);
    EXPECT_EQ(store->lookup("display/", 4), 4);
    EXPECT_EQ(err.text(), "");
    EXPECT_EQ(store->find_variable("display/sphere-r"), &store->variable_list[0]);
    store->lookup_prefix = "display/";
    EXPECT_EQ(store->find_variable("sphere-r"), &store->variable_list[0]);
}

}  // namespace
