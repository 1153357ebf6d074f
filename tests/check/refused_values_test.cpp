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
    const char* setting;  // under its section label, on line 2
    const char* warning;  // after "warning: "
};
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

std::string ReaderWarnings(const std::string& config) {
    ErrorCapture capture;
    const ConfigStore store(config.c_str());
    ReadSceneSettings(store);
    std::string lines;
    for (const std::string& line : capture.Lines()) lines += line + "\n";
    return lines;
}

class RefusedValues : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedValues, SameWordsFromTheReaderAndTheChecker) {
    const RefusedCase& c = GetParam();
    TempDir dir("refused");
    WriteFile(dir / "config.txt", c.setting);
    WriteFile(dir / "data.txt", kGrid);
    EXPECT_EQ(ReaderWarnings(dir / "config.txt"), "warning: " + std::string(c.warning) + "\n");

    ChildProcess check(dir.path(), PELORIN_CHECK);
    EXPECT_EQ(check.wait(30), 1);
    const std::string report = check.output();
    EXPECT_EQ(report.substr(report.find("\n\n") + 2),
              "data.txt: 3 x 3 cells, 15 points\n\nwarning: line 2: " + std::string(c.warning) + "\n1 problem\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedValues,
    testing::Values(
        RefusedCase{"RateZero", "[data]\nframes-per-second = 0\n",
                    "data/frames-per-second: \"0\" is not a number above 0 and at most 1000; the programs use 10"},
        RefusedCase{"RateNegative", "[data]\nframes-per-second = -5\n",
                    "data/frames-per-second: \"-5\" is not a number above 0 and at most 1000; the programs use 10"},
        RefusedCase{"RateInfinite", "[data]\nframes-per-second = inf\n",
                    "data/frames-per-second: \"inf\" is not a number above 0 and at most 1000; the programs use 10"},
        RefusedCase{"RateTooHigh", "[data]\nframes-per-second = 1001\n",
                    "data/frames-per-second: \"1001\" is not a number above 0 and at most 1000; the programs use 10"},
        RefusedCase{"RateWithWords", "[data]\nframes-per-second = '5 fast'\n",
                    "data/frames-per-second: \"5 fast\" is not a number; the programs use 10"},
        RefusedCase{"MetresPerLevelNegative", "[data]\nmetres-per-level = -1\n",
                    "data/metres-per-level: \"-1\" is not a number above 0; the programs leave it unset"},
        RefusedCase{"CellMetresNegative", "[data]\ncell-metres = -1\n",
                    "data/cell-metres: \"-1\" is not a number above 0; the programs leave it unset"},
        RefusedCase{"CellMetresInfinite", "[data]\ncell-metres = inf\n",
                    "data/cell-metres: \"inf\" is not a number above 0; the programs leave it unset"},
        RefusedCase{"LevelZeroInfinite", "[data]\nlevel-0-metres = inf\n",
                    "data/level-0-metres: \"inf\" is not a finite number; the programs leave it unset"},
        RefusedCase{"LevelZeroNaN", "[data]\nlevel-0-metres = nan\n",
                    "data/level-0-metres: \"nan\" is not a number; the programs leave it unset"},
        RefusedCase{"WatchTwo", "[data]\nwatch = 2\n",
                    "data/watch: \"2\" is neither 0 nor 1; the programs take it as 0"},
        RefusedCase{"SwitchWithWords", "[display]\nlegend = '1 please'\n",
                    "display/legend: \"1 please\" is not a number; the programs use 0"},
        RefusedCase{"DetailNotANumber", "[display]\nlevel-of-detail = no\n",
                    "display/level-of-detail: \"no\" is not a number; the programs use 1"},
        RefusedCase{"AntialiasFraction", "[display]\nantialias = 2.5\n",
                    "display/antialias: \"2.5\" is not a whole number from 1 to 64; the programs use 1"},
        RefusedCase{"RangeOfThree", "[display]\ncolour-range = '1 2 3'\n",
                    "display/colour-range: \"1 2 3\" is not two numbers, the lower first (write colour-range = "
                    "'LOW HIGH'); ignored"},
        RefusedCase{"RangeWithWords", "[display]\ncolour-range = '0 10 junk'\n",
                    "display/colour-range: \"0 10 junk\" is not two numbers, the lower first (write colour-range = "
                    "'LOW HIGH'); ignored"},
        RefusedCase{"ChoiceWithControlBytes", "[display]\ncolour = 'red\x1b[31m\x07'\n",
                    "display/colour: unknown value \"red\\x1b[31m\\x07\" (expected red or height); using red"},
        RefusedCase{"AzimuthBeyondRadians", "[camera]\nazimuth = 1e308\n",
                    "camera/azimuth: \"1e308\" is too large an angle; ignored"},
        RefusedCase{"ElevationBeyondRadians", "[camera]\nelevation = -1e308\n",
                    "camera/elevation: \"-1e308\" is too large an angle; ignored"},
        RefusedCase{"DistanceWithUnit", "[camera]\ndistance = '30 m'\n",
                    "camera/distance: \"30 m\" is not a number; ignored"},
        RefusedCase{"CentreOfFour", "[camera]\ncenter = '1 2 3 4'\n",
                    "camera/center: \"1 2 3 4\" is not three numbers (write center = 'X Y Z'); ignored"}),
    [](const testing::TestParamInfo<RefusedCase>& param_info) { return param_info.param.name; });

// Every refused value of one file, each warned about once in a whole run,
// however often the program reads its settings.
TEST(RefusedValuesInAWholeRun, EachWarnedOnce) {
    TempDir dir("refused");
    WriteFile(dir / "config.txt",
              "[display]\nfit-view = 2\ncolour-range = '1 2 3'\n[camera]\nazimuth = 1e308\n"
              "[data]\nframes-per-second = 0\ncell-metres = -1\n");
    WriteFile(dir / "data.txt", kGrid);
    const std::string warnings =
        "warning: display/fit-view: \"2\" is neither 0 nor 1; the programs take it as 0\n"
        "warning: display/colour-range: \"1 2 3\" is not two numbers, the lower first (write colour-range = "
        "'LOW HIGH'); ignored\n"
        "warning: camera/azimuth: \"1e308\" is too large an angle; ignored\n"
        "warning: data/frames-per-second: \"0\" is not a number above 0 and at most 1000; the programs use 10\n"
        "warning: data/cell-metres: \"-1\" is not a number above 0; the programs leave it unset\n";

    ChildProcess render(dir.path(), PELORIN_RENDER, {"--size", "64x48"}, {SanitizerOptionsForGlProgram()});
    EXPECT_EQ(render.wait(50), 0);
    EXPECT_EQ(render.errors(), warnings);

    ChildProcess viewer(dir.path(), PELORIN_SETTINGS_PROBE);
    EXPECT_EQ(viewer.wait(20), 0);
    EXPECT_EQ(viewer.errors(), warnings);
}

}  // namespace
