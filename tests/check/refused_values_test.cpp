// Values the programs refuse: one warning from the settings reader, and the
// very same words from pelorin-check, on the line that sets the key; and in
// a whole run of pelorin-render or of the viewer's start-up, each warning
// once.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "child_process.h"
#include "config_store.h"
#include "error_capture.h"
#include "scene_settings.h"

namespace {

const char* const kGrid = "3\n1 0 2 \n0 0 0 \n2 1 0 \n";

struct RefusedCase {
    const char* name;
    const char* key;    // section/name
    const char* value;  // as written, between apostrophes
    const char* said;   // the warning after the key and the value
};
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class RefusedValues : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedValues, SameWordsFromTheReaderAndTheChecker) {
    const RefusedCase& c = GetParam();
    const std::string key = c.key, section = key.substr(0, key.find('/'));
    const std::string warning = key + ": \"" + c.value + "\" " + c.said + "\n";
    TempDir dir("refused");
    WriteFile(dir / "config.txt", "[" + section + "]\n" + key.substr(section.size() + 1) + " = '" + c.value + "'\n");
    WriteFile(dir / "data.txt", kGrid);
    {
        ErrorCapture capture;
        ReadSceneSettings(ConfigStore((dir / "config.txt").c_str()));
        ASSERT_EQ(capture.Lines().size(), 1u);
        EXPECT_EQ(capture.Lines()[0] + "\n", "warning: " + warning);
    }
    ChildProcess check(dir.path(), PELORIN_CHECK);
    EXPECT_EQ(check.wait(30), 1);
    const std::string report = check.output();
    EXPECT_EQ(report.substr(report.find("\n\n") + 2),
              "data.txt: 3 x 3 cells, 15 points\n\nwarning: line 2: " + warning + "1 problem\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedValues,
    testing::Values(
        RefusedCase{"RateZero", "data/frames-per-second", "0", "is not a number above 0 and at most 1000; the programs use 10"},
        RefusedCase{"RateInfinite", "data/frames-per-second", "inf", "is not a number above 0 and at most 1000; the programs use 10"},
        RefusedCase{"RateWithWords", "data/frames-per-second", "5 fast", "is not a number; the programs use 10"},
        RefusedCase{"MetresPerLevelNegative", "data/metres-per-level", "-1", "is not a number above 0; the programs leave it unset"},
        RefusedCase{"CellMetresInfinite", "data/cell-metres", "inf", "is not a number above 0; the programs leave it unset"},
        RefusedCase{"LevelZeroInfinite", "data/level-0-metres", "inf", "is not a finite number; the programs leave it unset"},
        RefusedCase{"WatchTwo", "data/watch", "2", "is neither 0 nor 1; the programs take it as 0"},
        RefusedCase{"DetailNotANumber", "display/level-of-detail", "no", "is not a number; the programs use 1"},
        RefusedCase{"AntialiasFraction", "display/antialias", "2.5", "is not a whole number from 1 to 64; the programs use 1"},
        RefusedCase{"RangeWithWords", "display/colour-range", "0 10 junk",
                    "is not two numbers, the lower first (write colour-range = 'LOW HIGH'); ignored"},
        RefusedCase{"AzimuthBeyondRadians", "camera/azimuth", "1e308", "is too large an angle; ignored"},
        RefusedCase{"DistanceWithUnit", "camera/distance", "30 m", "is not a number; ignored"},
        RefusedCase{"CentreOfFour", "camera/center", "1 2 3 4", "is not three numbers (write center = 'X Y Z'); ignored"}),
    [](const testing::TestParamInfo<RefusedCase>& param_info) { return param_info.param.name; });

// Every refused value of one file, each warned about once in a whole run,
// however often the program reads its settings; a control byte escaped.
TEST(RefusedValuesInAWholeRun, EachWarnedOnce) {
    TempDir dir("refused");
    WriteFile(dir / "config.txt",
              "[display]\nfit-view = 2\ncolour = 'red\x1b[31m'\n[camera]\nazimuth = 1e308\n[data]\ncell-metres = -1\n");
    WriteFile(dir / "data.txt", kGrid);
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
