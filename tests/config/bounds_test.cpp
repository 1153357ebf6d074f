// Inputs that once took too long or too much memory, and the bounds that now
// stop them. Every input here must be read quickly, in any build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "config_file.h"
#include "config_test_support.h"
#include "evaluation_limits.h"
#include "text_replacement.h"

namespace {

using Strings = std::vector<std::string>;

const std::string tooCostly = "<<${ } expression too costly>>";

// Looking a name up walked every variable, so storing n definitions took
// n * n / 2 name comparisons: 100000 of them took half a minute, past the
// test's time-out. The indexed search must still find the first definition.
TEST(Bounds, ManyDefinitionsTakeLinearTime) {
    constexpr int storeCount = 100000;
    Strings list{"x"};
    for (int i = 0; i < storeCount; ++i) list.push_back("v" + std::to_string(i) + "=" + std::to_string(i));
    list.insert(list.end(), {"v7=again", "last=${v12345}"});
    auto store = parsed_store(list);
    ASSERT_EQ(store->variable_list.size(), storeCount + 1u);
    EXPECT_STREQ(store->lookup("v7", ""), "again");
    EXPECT_EQ(store->find_variable("v7"), &store->variable_list[7]);
    EXPECT_STREQ(store->lookup("v99999", ""), "99999");
    EXPECT_STREQ(store->lookup("last", ""), "12345");
    EXPECT_EQ(store->find_variable("v100000"), nullptr);
}

// A label's section was compared with every section before it, so n distinct
// labels took n * n / 2 comparisons: 500000 of them took minutes, far past
// the test's time-out. `sections` still lists each section once, in the order
// labels first open it.
TEST(Bounds, ManyDistinctLabelsTakeLinearTime) {
    constexpr int storeCount = 500000;
    Strings list{"x"};
    for (int i = 0; i < storeCount; ++i) list.push_back("[s" + std::to_string(i) + "]");
    list.insert(list.end(), {"[s7]", "[]", "[s0]", "[last]"});
    auto store = parsed_store(list);
    ASSERT_EQ(store->sections.size(), storeCount + 1u);
    EXPECT_EQ(store->sections[7], "s7/");
    EXPECT_EQ(store->sections[storeCount - 1], "s499999/");
    EXPECT_EQ(store->sections.back(), "last/");
}

// A file that never ended (a link to /dev/zero) was read until memory ran
// out. Reading stops at the bound: a setting that ends there counts, one past
// it does not, and the warning comes once however many stores read the file.
TEST(Bounds, ConfigurationFileSize) {
    const std::string head = "a = 1\n#";
    const std::string tail = "\nb = 2";
    const std::string at_bound =
        head + std::string(maxConfigFileBytes - head.size() - tail.size(), 'x') + tail;
    const TemporaryFile whole(at_bound);
    const TemporaryFile longer(at_bound + "\nc = 3\n");
    CapturedStderr err;
    EXPECT_STREQ(ConfigStore(whole.path()).lookup("b", ""), "2");
    EXPECT_EQ(err.text(), "");
    const ConfigStore first(longer.path());
    const ConfigStore second(longer.path());
    EXPECT_STREQ(second.lookup("b", ""), "2");
    EXPECT_STREQ(second.lookup("c", "unread"), "unread");
    const std::string warning = "warning: configuration file '" + std::string(longer.path()) +
                                "' is longer than 2 MiB (2097152 bytes); the rest of it is not read\n";
    ASSERT_EQ(err.text(), warning);

    const TempDir dir("config-endless");
    const std::string endless = dir / "config.txt";
    ASSERT_EQ(symlink("/dev/zero", endless.c_str()), 0);
    const ConfigStore zeros(endless.c_str());
    ASSERT_EQ(zeros.arguments.size(), 2u);
    EXPECT_EQ(zeros.arguments[1], std::string(maxConfigFileBytes, '\0'));
    EXPECT_EQ(err.text(), warning + "warning: configuration file '" + endless +
                              "' is longer than 2 MiB (2097152 bytes); the rest of it is not read\n");
}

// Each costly line may spend its own budget, but the file as a whole has one
// too: once it is used up, even the cheapest expression is refused.
TEST(Bounds, StoreBudgetCoversTheWholeFile) {
    using evaluation_limits::argumentEvaluations;
    using evaluation_limits::storeEvaluations;
    Strings list{"x", "a0=1"};
    // a<k> compares a<k-1> with itself: a short text, but twice the evaluations.
    for (int k = 1; k <= 30; ++k) {
        const std::string previous = "${!a" + std::to_string(k - 1) + "}";
        list.push_back("a" + std::to_string(k) + "=${:${== " + previous + " " + previous + "}}");
    }
    list.push_back("early=${+ 1 1}");
    const std::size_t costly_lines = storeEvaluations / argumentEvaluations;
    for (std::size_t i = 0; i < costly_lines; ++i) list.push_back("c" + std::to_string(i) + "=${!a30}");
    list.push_back("late=${+ 1 1}");
    auto store = parsed_store(list);
    EXPECT_STREQ(store->lookup("a30", ""), "${== ${!a29} ${!a29}}");
    EXPECT_STREQ(store->lookup("early", ""), "2.000000e+000");
    EXPECT_EQ(store->lookup("c0", ""), tooCostly);
    EXPECT_EQ(store->lookup("late", ""), tooCostly);
}

TEST(Bounds, SectionPathLength) {
    using evaluation_limits::maxSectionPathBytes;
    const std::string longest(maxSectionPathBytes - 1, 's');  // the "/" makes it full
    auto store = parsed_store({"x", "[" + longest + "]", "a=1", "[" + longest + "t]", "b=2"});
    EXPECT_STREQ(store->lookup((longest + "/a").c_str(), ""), "1");
    EXPECT_STREQ(store->lookup((tooCostly + "/b").c_str(), ""), "2");
}

TEST(Bounds, WorkBudgetStaysUsedUp) {
    WorkBudget budget = WorkBudget::for_argument();
    EXPECT_TRUE(budget.spend(1, evaluation_limits::argumentBytes - 10));
    EXPECT_EQ(budget.bytes_left(), 10u);
    EXPECT_FALSE(budget.spend(0, 11));
    EXPECT_TRUE(budget.exhausted());
    EXPECT_FALSE(budget.spend(0, 0));
    EXPECT_EQ(budget.bytes_left(), 0u);
    WorkBudget evaluations = WorkBudget::for_argument();
    EXPECT_FALSE(evaluations.spend(evaluation_limits::argumentEvaluations + 1, 0));
}

// Both ways of replacing stop once they have moved more bytes than allowed:
// the single pass when the replacement contains what it replaces, the rescan
// otherwise. Every byte read and every byte inserted counts.
TEST(Bounds, ReplacementStopsAtItsWorkLimit) {
    const struct {
        const char* text;
        const char* from;
        const char* to;
        const char* result;
        std::size_t work;
    } cases[] = {
        {"xaxa", "a", "aa", "xaaxaa", 8},
        {"aab", "ab", "b", "b", 5},
    };
    for (const auto& c : cases) {
        const ReplacementResult enough = replace_occurrences(c.text, c.from, c.to, c.work);
        EXPECT_EQ(enough.outcome, ReplacementOutcome::done) << c.text;
        EXPECT_EQ(enough.text, c.result) << c.text;
        EXPECT_EQ(enough.work, c.work) << c.text;
        const ReplacementResult short_by_one = replace_occurrences(c.text, c.from, c.to, c.work - 1);
        EXPECT_EQ(short_by_one.outcome, ReplacementOutcome::too_costly) << c.text;
        EXPECT_EQ(short_by_one.work, c.work) << c.text;
    }
    // Inside a setting the limit is what is left of the budget.
    const std::string hundred_k(100000, 'k');
    auto store = parsed_store({"x", "big=" + hundred_k, "r=${<-> ${big} k " + std::string(30, 'k') + "}"});
    EXPECT_EQ(store->lookup("r", ""), tooCostly);
}

// Each "ab" becomes "b", forty "c" and "a", and the "a" before
// it makes a new occurrence with the inserted "b": 30000 replacements would
// grow the text past its bound long before they reach their count.
TEST(Bounds, GrowingReplacementDoesNotEnd) {
    const std::string to = "b" + std::string(40, 'c') + "a";
    const ReplacementResult grown =
        replace_occurrences(std::string(30000, 'a') + "b", "ab", to, std::size_t{1} << 30);
    EXPECT_EQ(grown.outcome, ReplacementOutcome::does_not_end);
    EXPECT_LT(grown.work, evaluation_limits::argumentBytes);
    auto store = parsed_store({"x", "r=${<-> " + std::string(30000, 'a') + "b ab " + to + "}"});
    EXPECT_STREQ(store->lookup("r", ""), "<<${ } replacement does not end>>");
}

// Inputs the fuzz targets found too slow, kept in regressions/: "file-*" is a
// configuration file, "arguments-*" an argument vector whose entries are
// separated by NUL bytes. Each must end (the test time-out bounds it; they
// take some tens of milliseconds) and give the values listed for it.
TEST(Bounds, FuzzFindingsStayBounded) {
    const std::string deep = "<<${ } expression nested too deeply>>";
    const std::map<std::string, std::vector<std::pair<const char*, std::string>>> expected = {
        {"file-doubling-chains",
         {{"display/sphere-tesel", "8"}, {"paths/deep", deep}, {"paths/costly", tooCostly},
          {"paths/last", "done"}}},
        {"arguments-doubling-cycle", {{"a0", "x"}, {"a2", "${&${!a1}${!a1}}"}, {"z", tooCostly}}},
    };
    std::size_t checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PELORIN_CONFIG_REGRESSIONS)) {
        const std::string name = entry.path().filename().string();
        std::unique_ptr<ConfigStore> store;
        CapturedStderr quiet;
        if (name.rfind("file-", 0) == 0) {
            store = std::make_unique<ConfigStore>(entry.path().c_str());
        } else {
            ASSERT_EQ(name.rfind("arguments-", 0), 0u) << name << ": unknown kind of input";
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            Strings entries(1);
            for (char c : bytes) {
                if (c == '\0') {
                    entries.emplace_back();
                } else {
                    entries.back() += c;
                }
            }
            std::vector<const char*> argv;
            for (const std::string& e : entries) argv.push_back(e.c_str());
            store = std::make_unique<ConfigStore>(static_cast<int>(argv.size()), argv.data());
        }
        const auto values = expected.find(name);
        ASSERT_NE(values, expected.end()) << name << ": list the values it must give";
        for (const auto& [key, value] : values->second) {
            EXPECT_EQ(store->lookup(key, "(undefined)"), value) << name << ": " << key;
        }
        ++checked;
    }
    EXPECT_EQ(checked, expected.size());
}

}  // namespace
