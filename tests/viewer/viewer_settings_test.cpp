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
        SettingsCase{"NoConfigFile", nullptr, "radius=0.75 tesel=6", ""},
        SettingsCase{"NeitherKey", "[data]\nfile = other.txt\n", "radius=0.75 tesel=6", ""},
        SettingsCase{"BothKeys", "[display]\nsphere-r = 0.5\nsphere-tesel = 7.9\n", "radius=0.5 tesel=7",
                     "## original = 7.9\n"},
        SettingsCase{"NegativeTruncatesTowardZero", "[display]\nsphere-tesel = -2.5\n", "radius=0.75 tesel=-2",
                     "## original = -2.5\n"},
        SettingsCase{"ExponentForm", "[display]\nsphere-tesel = 1e1\n", "radius=0.75 tesel=10",
                     "## original = 1e1\n"},
        SettingsCase{"LargeValueKeptAsGiven", "[display]\nsphere-tesel = 100000\n", "radius=0.75 tesel=100000",
                     "## original = 100000\n"},
        SettingsCase{"TeselNotANumber", "[display]\nsphere-tesel = abc\n", "radius=0.75 tesel=6",
                     "## original = abc\n"},
        SettingsCase{"RadiusNotANumberIsSilent", "[display]\nsphere-r = abc\n", "radius=0.75 tesel=6", ""},
        SettingsCase{"TrailingTextAfterNumber", "[display]\nsphere-r = 1.25xyz\n", "radius=1.25 tesel=6", ""}),
    [](const testing::TestParamInfo<SettingsCase>& info) { return info.param.name; });

}  // namespace
