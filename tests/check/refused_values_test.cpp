// Values the programs refuse, one for every key of the table that can refuse
// one: one warning from the settings reader (silent for the sphere keys),
// and the very same words from pelorin-check, on the line that sets the key;
// and in a whole run of pelorin-render or of the viewer's start-up, each
// warning once.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>

#include "child_process.h"
#include "config_store.h"
#include "diagnostics.h"
#include "keys.h"
#include "scene_settings.h"

namespace {

const char* const smallGrid = "3\n1 0 2 \n0 0 0 \n2 1 0 \n";

struct RefusedCase {
    const char* name;
    const char* key;    // section/name
    const char* value;  // as written, between apostrophes
    const char* said;   // the warning after "key: "
};
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class RefusedValues : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedValues, SameWordsFromTheReaderAndTheChecker) {
    const RefusedCase& c = GetParam();
    const std::string key = c.key, section = key.substr(0, key.find('/'));
    const std::string warning = key + ": " + c.said + "\n";
    TempDir dir("refused");
    WriteFile(dir / "config.txt", "[" + section + "]\n" + key.substr(section.size() + 1) + " = '" + c.value + "'\n");
    WriteFile(dir / "data.txt", smallGrid);
    CollectedDiagnostics storeSaid, readerSaid;
    ReadSceneSettings(ConfigStore((dir / "config.txt").c_str(), nullptr, nullptr, nullptr, storeSaid), readerSaid);
    ASSERT_EQ(readerSaid.entries.size(), 1u);
    EXPECT_EQ(readerSaid.entries[0].text + "\n", warning);
    const KeyEntry* entry = FindKey(key);
    ASSERT_NE(entry, nullptr);
    const bool lookUp = entry->kind == KeyKind::lookupNumber || entry->kind == KeyKind::lookupWhole;
    EXPECT_EQ(readerSaid.entries[0].severity, lookUp ? Severity::silent : Severity::warning);

    ChildProcess check(dir.path(), PELORIN_CHECK);
    EXPECT_EQ(check.wait(30), 1);
    const std::string report = check.output();
    EXPECT_EQ(report.substr(report.find("\n\n") + 2),
              "data.txt: 3 x 3 cells, 15 points\n\nwarning: line 2: " + warning + "1 problem\n");
}

const RefusedCase cases[] = {
    {"RateZero", "data/frames-per-second", "0", "\"0\" is not a number above 0 and at most 1000; the programs use 10"},
    {"RateInfinite", "data/frames-per-second", "inf",
     "\"inf\" is not a number above 0 and at most 1000; the programs use 10"},
    {"RateWithWords", "data/frames-per-second", "5 fast", "\"5 fast\" is not a number; the programs use 10"},
    {"MetresPerLevelNegative", "data/metres-per-level", "-1",
     "\"-1\" is not a number above 0; the programs leave it unset"},
    {"CellMetresInfinite", "data/cell-metres", "inf", "\"inf\" is not a number above 0; the programs leave it unset"},
    {"OriginOfOne", "data/origin", "291230", "\"291230\" is not two numbers (write origin = 'X Y'); the programs leave it unset"},
    {"OriginInfinite", "data/origin", "0 inf", "\"0 inf\" is not two numbers (write origin = 'X Y'); the programs leave it unset"},
    {"CellSizeZero", "data/cell-size", "30 0",
     "\"30 0\" is not two numbers above 0 (write cell-size = 'DX DY'); the programs leave it unset"},
    {"CellSizeNegative", "data/cell-size", "-30 30",
     "\"-30 30\" is not two numbers above 0 (write cell-size = 'DX DY'); the programs leave it unset"},
    {"LevelZeroInfinite", "data/level-0-metres", "inf", "\"inf\" is not a finite number; the programs leave it unset"},
    {"WatchTwo", "data/watch", "2", "\"2\" is neither 0 nor 1; the programs take it as 0"},
    {"DetailNotANumber", "display/level-of-detail", "no", "\"no\" is not a number; the programs use 1"},
    {"AntialiasFraction", "display/antialias", "2.5", "\"2.5\" is not a whole number from 1 to 64; the programs use 1"},
    {"FloorBelowZero", "display/floor", "-3", "\"-3\" is not a whole number from 0 to 2147483647; the programs leave it unset"},
    {"FloorPastTheLargestHeight", "display/floor", "2147483648", "\"2147483648\" is not a whole number from 0 to 2147483647; the programs leave it unset"},
    {"RangeWithWords", "display/colour-range", "0 10 junk",
     "\"0 10 junk\" is not two numbers, the lower first (write colour-range = 'LOW HIGH'); ignored"},
    {"AzimuthBeyondRadians", "camera/azimuth", "1e308", "\"1e308\" is too large an angle; ignored"},
    {"DistanceWithUnit", "camera/distance", "30 m", "\"30 m\" is not a number; ignored"},
    {"CentreOfFour", "camera/center", "1 2 3 4", "\"1 2 3 4\" is not three numbers (write center = 'X Y Z'); ignored"},
    {"RadiusWord", "display/sphere-r", "big", "\"big\" is not a number; the programs use 0.75"},
    {"TeselWord", "display/sphere-tesel", "many", "\"many\" is not a number; the programs use 6"},
    {"CullYes", "display/cull-hidden", "yes", "\"yes\" is not a number; the programs use 0"},
    {"FitTwo", "display/fit-view", "2", "\"2\" is neither 0 nor 1; the programs take it as 0"},
    {"ColourBlue", "display/colour", "blue", "unknown value \"blue\" (expected red or height); using red"},
    {"RendererFast", "display/renderer", "fast one",
     "unknown value \"fast one\" (expected lists or impostors); using lists"},
    {"KeysAll", "display/keys", "all", "unknown value \"all\" (expected standard or extended); using standard"},
    {"LegendHalf", "display/legend", "0.5", "\"0.5\" is neither 0 nor 1; the programs take it as 0"},
    {"OcclusionOn", "display/ambient-occlusion", "on", "\"on\" is not a number; the programs use 0"},
    {"OutlinesMinusOne", "display/outlines", "-1", "\"-1\" is neither 0 nor 1; the programs take it as 0"},
    {"AxesTwice", "display/axes", "1 1", "\"1 1\" is not a number; the programs use 0"},
    {"ElevationBelowRadians", "camera/elevation", "-1e308", "\"-1e308\" is too large an angle; ignored"},
};

INSTANTIATE_TEST_SUITE_P(Cases, RefusedValues, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<RefusedCase>& paramInfo) { return paramInfo.param.name; });

// A key added to the table without a case above fails here; a text is taken
// as written, and no value of it is refused.
TEST(RefusedValuesCases, CoverEveryKeyThatCanRefuseAValue) {
    for (const KeyEntry* entry : KeyTable()) {
        if (entry->kind == KeyKind::text) continue;
        EXPECT_TRUE(std::any_of(std::begin(cases), std::end(cases),
                                [&](const RefusedCase& c) { return entry->name == std::string(c.key); }))
            << entry->name;
    }
}

// Every refused value of one file, each warned about once in a whole run,
// however often the program reads its settings; a control byte escaped.
TEST(RefusedValuesInAWholeRun, EachWarnedOnce) {
    TempDir dir("refused");
    WriteFile(dir / "config.txt",
              "[display]\nfit-view = 2\ncolour = 'red\x1b[31m'\n[camera]\nazimuth = 1e308\n[data]\ncell-metres = -1\n");
    WriteFile(dir / "data.txt", smallGrid);
    const std::string warnings =
        "warning: display/fit-view: \"2\" is neither 0 nor 1; the programs take it as 0\n"
        "warning: display/colour: unknown value \"red\\x1b[31m\" (expected red or height); using red\n"
        "warning: camera/azimuth: \"1e308\" is too large an angle; ignored\n"
        "warning: data/cell-metres: \"-1\" is not a number above 0; the programs leave it unset\n";
    ChildProcess render(dir.path(), PELORIN_RENDER, {"--size", "64x48"}, {SanitizerOptionsForGlProgram()});
    EXPECT_EQ(render.wait(50), 0);
    EXPECT_EQ(render.errors(), warnings);
    ChildProcess viewer(dir.path(), PELORIN_SETTINGS_PROBE);
    EXPECT_EQ(viewer.wait(20), 0);
    EXPECT_EQ(viewer.errors(), warnings);
}

}  // namespace
