// The sphere settings come from "config.txt" before main runs: each case
// starts the probe program in a directory of its own.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "child_process.h"

namespace {

struct SettingsCase {
    const char* name;
    const char* config;  // null: no config.txt at all
    const char* settings;
    const char* diagnostics;
};

// Keeps the case's name, not its bytes, in test listings.
void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.name; }

class ViewerSettings : public testing::TestWithParam<SettingsCase> {};

TEST_P(ViewerSettings, ReadFromConfigBeforeMain) {
    const SettingsCase& c = GetParam();
    const TempDir dir("settings");
    ASSERT_FALSE(dir.path().empty());
    if (c.config) WriteFile(dir / "config.txt", c.config);
    ChildProcess probe(dir.path(), PELORIN_SETTINGS_PROBE);
    ASSERT_EQ(probe.wait(20), 0);
    EXPECT_EQ(probe.output(), std::string(c.settings) + "\n");
    EXPECT_EQ(probe.errors(), c.diagnostics);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewerSettings,
    testing::Values(
        SettingsCase{"NoConfigFile", nullptr, "radius=0.75 tesel=6 cull=0", ""},
        SettingsCase{"NeitherKey", "[data]\nfile = other.txt\n", "radius=0.75 tesel=6 cull=0", ""},
        SettingsCase{"BothKeys", "[display]\nsphere-r = 0.5\nsphere-tesel = 7.9\n", "radius=0.5 tesel=7 cull=0",
                     "## original = 7.9\n"},
        SettingsCase{"NegativeTruncatesTowardZero", "[display]\nsphere-tesel = -2.5\n", "radius=0.75 tesel=-2 cull=0",
                     "## original = -2.5\n"},
        SettingsCase{"ExponentForm", "[display]\nsphere-tesel = 1e1\n", "radius=0.75 tesel=10 cull=0",
                     "## original = 1e1\n"},
        SettingsCase{"LargeValueKeptAsGiven", "[display]\nsphere-tesel = 100000\n", "radius=0.75 tesel=100000 cull=0",
                     "## original = 100000\n"},
        SettingsCase{"TeselNotANumber", "[display]\nsphere-tesel = abc\n", "radius=0.75 tesel=6 cull=0",
                     "## original = abc\n"},
        SettingsCase{"RadiusNotANumberIsSilent", "[display]\nsphere-r = abc\n", "radius=0.75 tesel=6 cull=0", ""},
        SettingsCase{"TrailingTextAfterNumber", "[display]\nsphere-r = 1.25xyz\n", "radius=1.25 tesel=6 cull=0", ""},
        // Only 1 turns the cull on and 0 off; anything else warns and leaves it off.
        SettingsCase{"CullOn", "[display]\ncull-hidden = 1\n", "radius=0.75 tesel=6 cull=1", ""},
        SettingsCase{"CullOnWithOtherKeys", "[display]\nsphere-r = 0.8\ncull-hidden = 1.0\nsphere-tesel = 9\n",
                     "radius=0.80000000000000004 tesel=9 cull=1", "## original = 9\n"},
        SettingsCase{"CullOff", "[display]\ncull-hidden = 0\n", "radius=0.75 tesel=6 cull=0", ""},
        SettingsCase{"CullOtherNumberIsOff", "[display]\ncull-hidden = 2\n", "radius=0.75 tesel=6 cull=0",
                     "warning: display/cull-hidden: \"2\" is neither 0 nor 1; the programs take it as 0\n"},
        SettingsCase{"CullNotANumberIsOff", "[display]\ncull-hidden = yes\n", "radius=0.75 tesel=6 cull=0",
                     "warning: display/cull-hidden: \"yes\" is not a number; the programs use 0\n"},
        SettingsCase{"CullOutsideDisplayIgnored", "cull-hidden = 1\n", "radius=0.75 tesel=6 cull=0", ""},
        // Named choices are taken silently; anything else warns once and
        // keeps the plain viewer's choice.
        SettingsCase{"KnownChoices", "[display]\ncolour = height\nrenderer = impostors\nfit-view = 1\n",
                     "radius=0.75 tesel=6 cull=0", ""},
        SettingsCase{"UnknownChoices", "[display]\ncolour = blue\nrenderer = 'fast one'\n", "radius=0.75 tesel=6 cull=0",
                     "warning: display/colour: unknown value \"blue\" (expected red or height); using red\n"
                     "warning: display/renderer: unknown value \"fast one\" (expected lists or impostors); using lists\n"}),
    [](const testing::TestParamInfo<SettingsCase>& paramInfo) { return paramInfo.param.name; });

}  // namespace
