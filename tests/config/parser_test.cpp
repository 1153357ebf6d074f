#include <gtest/gtest.h>

#include <utility>

#include "config_test_support.h"

namespace {

using Strings = std::vector<std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;

Values values_of(const ConfigStore& store) {
    Values values;
    for (const ConfigStore::variable& v : store.variable_list) values.emplace_back(v.name, v.original);
    return values;
}

struct ParseCase {
    const char* why;
    Strings list;
    Strings arguments;
    Values variables;
};

TEST(Parser, StoresArgumentsAndDefinitions) {
    const ParseCase cases[] = {
        {"plain definition", {"x", "name=value"}, {"x", "name=value"}, {{"name", "value"}}},
        {"section in front", {"x", "[display]", "sphere-r=0.5"},
         {"x", "[display]", "display/sphere-r=0.5"}, {{"display/sphere-r", "0.5"}}},
        {"plain arguments", {"x", "-v", "[s]", "-v"}, {"x", "-v", "[s]", "s/-v"}, {}},
        {"redefinition keeps the place", {"x", "a=1", "b=1", "a=2"},
         {"x", "a=1", "b=1", "a=2"}, {{"a", "2"}, {"b", "1"}}},
        {"empty entry dropped", {"x", "", "a=1"}, {"x", "a=1"}, {{"a", "1"}}},
        {"empty name", {"x", "=v", "[s]", "=w"}, {"x", "=v", "[s]", "s/=w"}, {{"", "v"}, {"s/", "w"}}},
        {"first entry never read", {"a=1"}, {"a=1"}, {}},
        {"label with =", {"x", "[k=v]"}, {"x", "[k=v]"}, {{"[k", "v]"}}},
        {"unclosed or one-byte brackets are plain", {"x", "[", "[a", "]", "[b]", "c"},
         {"x", "[", "[a", "]", "[b]", "b/c"}, {}},
        {"NUL ends name and value", {"x", std::string("a=b\0c", 5), std::string("d\0e=f", 5)},
         {"x", std::string("a=b\0c", 5), std::string("d\0e=f", 5)}, {{"a", "b"}, {"d", "f"}}},
        {"expressions expanded, labels stored unexpanded", {"x", "n=sub", "[${n}]", "v=${:${n}}"},
         {"x", "n=sub", "[${n}]", "sub/v=${n}"}, {{"n", "sub"}, {"sub/v", "${n}"}}},
        {"dollar-bracket scan edges", {"x", "a=x${:y", "b=${", "c=$x}", "d=${:}}"},
         {"x", "a=x", "b=${", "c=$x}", "d=}"}, {{"a", "x"}, {"b", "${"}, {"c", "$x}"}, {"d", "}"}}},
        {"section variable wins over top level",
         {"x", "v=top", "[s]", "v=in", "r=${v}", "[t]", "r=${v}"},
         {"x", "v=top", "[s]", "s/v=in", "s/r=in", "[t]", "t/r=top"},
         {{"v", "top"}, {"s/v", "in"}, {"s/r", "in"}, {"t/r", "top"}}},
    };
    for (const ParseCase& c : cases) {
        auto store = parsed_store(c.list);
        EXPECT_EQ(store->arguments, c.arguments) << c.why;
        EXPECT_EQ(values_of(*store), c.variables) << c.why;
    }
}

TEST(Parser, ValueSplitsIntoElements) {
    auto store = parsed_store({"x", "a= 1  2 ", "b=", "c=\t\n"});
    const auto& vars = store->variable_list;
    ASSERT_EQ(vars.size(), 3u);
    EXPECT_EQ(vars[0].original, " 1  2 ");
    EXPECT_EQ(vars[0].elements, (Strings{"1", "2"}));
    EXPECT_TRUE(vars[1].elements.empty());
    EXPECT_TRUE(vars[2].elements.empty());

    const char* argv[] = {"prog", "list=a,b;;c"};
    ConfigStore separated(2, argv, ",;");
    EXPECT_EQ(separated.variable_list.at(0).elements, (Strings{"a", "b", "c"}));
    const TemporaryFile file("list = 'a b,c'");
    ConfigStore from_file(file.path(), nullptr, nullptr, ",");
    EXPECT_EQ(from_file.variable_list.at(0).elements, (Strings{"a b", "c"}));
}

// Null where a text is expected reads as nothing rather than crashing.
TEST(Parser, EmptyAndNullInputs) {
    auto store = parsed_store({"x", "a=1"});
    store->parse_arguments({});
    EXPECT_EQ(store->arguments, (Strings{"x", "a=1"}));
    EXPECT_EQ(store->current_section, "");

    const ConfigStore unnamed(nullptr);
    EXPECT_EQ(unnamed.arguments, (Strings{""}));
    const char* argv[] = {"prog", nullptr, "b=2"};
    const ConfigStore with_null(3, argv);
    EXPECT_EQ(with_null.arguments, (Strings{"prog", "b=2"}));
    const ConfigStore no_vector(1, nullptr);
    EXPECT_TRUE(no_vector.arguments.empty());
}

TEST(Parser, SectionLabelsFollowTheStack) {
    const std::pair<const char*, const char*> steps[] = {
        {"display", "display/"},           {"geometry/points", "geometry/points/"},
        {"./colour", "geometry/points/colour/"}, {"../size", "geometry/points/size/"},
        {"../../lights", "geometry/lights/"}, {"./", "geometry/lights/"},
        {"../", "geometry/"},              {"", ""},
        {"a//b", "a//b/"},                 {"..", "../"},
        {"a/", "a/"},                      {"a//", "a//"},
        {"./b/", "a//b/"},                 {"../../../../x", "x/"},
        {"./../y", "x/../y/"},
    };
    Strings stack;
    for (const auto& step : steps) {
        EXPECT_EQ(ConfigStore::process_section_label(step.first, stack), step.second) << step.first;
    }
}

TEST(Parser, SectionsListedOnceInOrder) {
    auto store = parsed_store({"x", "[b]", "[a]", "[b]", "[./c]", "[]", "[a]"});
    EXPECT_EQ(store->sections, (Strings{"b/", "a/", "b/c/"}));
    EXPECT_EQ(store->current_section, "a/");
}

// The section path is copied into every later name, so it may not grow
// without bound.
TEST(Parser, OverlongSectionPathIsTooCostly) {
    const std::string long_text = "${<-> " + std::string(41, 'a') + " a " + std::string(100, 'x') + "}";
    auto store = parsed_store({"x", "[top]", "[./" + long_text + "]", "v=1", "[../ok]", "w=2"});
    EXPECT_EQ(values_of(*store), (Values{{"<<${ } expression too costly>>/v", "1"}, {"ok/w", "2"}}));
}

}  // namespace
