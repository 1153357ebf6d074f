// Rasters a careless or hostile user may give: values at a double's limits,
// absurd level sizes, frames georeferenced differently, an output that is not
// a regular file. Each is refused with one "error:" line and leaves the
// series already in the output folder as it was.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>
#include <map>

#include "config_store.h"
#include "fixtures.h"
#include "import_elevation.h"
#include "temp_files.h"

namespace {

constexpr std::array<double, 6> thirtyMetres = {500000, 30, 0, 5500000, 0, -30};

Raster Cells(const std::vector<double>& values, GDALDataType type = GDT_Float64) {
    Raster raster = Filled(static_cast<int>(values.size()), 1, 0, type);
    raster.values = values;
    return raster;
}

Raster Georeferenced(std::array<double, 6> transform, int epsg) {
    Raster raster = Filled(2, 2, 100);
    raster.values[3] = 130;
    raster.transform = transform;
    raster.epsg = epsg;
    return raster;
}

// Every regular file of `dir` with its text; a FIFO as "fifo".
std::map<std::string, std::string> Contents(const std::string& dir) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        contents[entry.path().filename()] = entry.is_fifo() ? "fifo" : ReadFile(entry.path());
    return contents;
}

struct HostileCase {
    const char* name;
    std::vector<std::string> inputs;  // files of the fixture folder
    std::vector<std::string> options;
    std::string error;  // the whole of standard error; "{dir}" is the fixture folder
    bool fifoConfig = false;  // config.txt of the output folder is a FIFO
};

void PrintTo(const HostileCase& hostile, std::ostream* out) { *out << hostile.name; }

class Hostile : public ::testing::TestWithParam<HostileCase> {};

std::string Expand(std::string text, const std::string& dir) {
    for (std::size_t at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}", at + dir.size()))
        text.replace(at, 5, dir);
    return text;
}

TEST_P(Hostile, IsRefusedAndLeavesTheSeriesBefore) {
    const HostileCase& hostile = GetParam();
    const TempDir dir("import-hostile");
    WriteRaster(dir / "extreme.tif", "GTiff", Cells({1e308, -1e308, DBL_MAX}));
    WriteRaster(dir / "low.tif", "GTiff", Cells({-1e308, 0, 1}));
    WriteRaster(dir / "high.tif", "GTiff", Cells({0, 1, DBL_MAX}));
    WriteRaster(dir / "steep.tif", "GTiff", Cells({0, 0, 1000}));
    WriteRaster(dir / "a.tif", "GTiff", Georeferenced(thirtyMetres, 32632));
    WriteRaster(dir / "km.tif", "GTiff", Georeferenced({500000, 1000, 0, 5500000, 0, -1000}, 32632));
    WriteRaster(dir / "east.tif", "GTiff", Georeferenced({600000, 30, 0, 5500000, 0, -30}, 32632));
    WriteRaster(dir / "zone.tif", "GTiff", Georeferenced(thirtyMetres, 32633));
    WriteRaster(dir / "plain.tif", "GTiff", Filled(2, 2, 100));
    std::filesystem::create_directory(dir / "out");
    if (hostile.fifoConfig)
        ASSERT_EQ(mkfifo((dir / "out/config.txt").c_str(), 0644), 0);
    else
        WriteFile(dir / "out/config.txt", "[data]\nseries = frame-%05d.txt\n");
    WriteFile(dir / "out/frame-00001.txt", "1\n5 \n");
    WriteFile(dir / "out/frame-00002.txt", "1\n6 \n");
    const std::map<std::string, std::string> before = Contents(dir / "out");

    std::vector<std::string> arguments;
    for (const std::string& input : hostile.inputs) arguments.push_back(dir / input);
    arguments.push_back(dir / "out");
    arguments.push_back("--force");
    arguments.insert(arguments.end(), hostile.options.begin(), hostile.options.end());
    const ImportRun run = Import(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: " + Expand(hostile.error, dir.path()) + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Contents(dir / "out"), before);
}

const char* const alikeEnding = "; the frames of a series must all be georeferenced alike";

INSTANTIATE_TEST_SUITE_P(
    Import, Hostile,
    ::testing::Values(
        HostileCase{"ValuesAtTheLimitsOfADouble", {"extreme.tif"}, {},
                    "'{dir}/extreme.tif': values from -1e+308 to 1.79769e+308 lie too far apart to map to levels"},
        HostileCase{"SeriesSpanningTheLimits", {"low.tif", "steep.tif", "high.tif"}, {},
                    "values from -1e+308 in '{dir}/low.tif' to 1.79769e+308 in '{dir}/high.tif' lie too far apart "
                    "to map to levels"},
        HostileCase{"LevelsTooSmallToCount", {"steep.tif"}, {"--metres-per-level", "1e-300"},
                    "the highest level would be 1e+303, more than 2147483647, the highest a data file holds; give "
                    "fewer --levels or a larger --metres-per-level"},
        HostileCase{"FramesOfOtherCells", {"a.tif", "km.tif"}, {},
                    "'{dir}/km.tif': cells of 1000 x 1000 metres where '{dir}/a.tif' has 30 x 30 metres" +
                        std::string(alikeEnding)},
        HostileCase{"FramesOfAnotherOrigin", {"a.tif", "a.tif", "east.tif"}, {},
                    "'{dir}/east.tif': origin at x 600000, y 5500000 where '{dir}/a.tif' has it at x 500000, y "
                    "5500000" + std::string(alikeEnding)},
        HostileCase{"FramesOfAnotherZone", {"a.tif", "zone.tif"}, {},
                    "'{dir}/zone.tif': coordinate system 'WGS 84 / UTM zone 33N' where '{dir}/a.tif' has 'WGS 84 / "
                    "UTM zone 32N'" + std::string(alikeEnding)},
        HostileCase{"FrameWithoutGeoreferencing", {"a.tif", "plain.tif"}, {},
                    "'{dir}/plain.tif': not georeferenced where '{dir}/a.tif' is" + std::string(alikeEnding)},
        HostileCase{"ConfigurationThatIsAFifo", {"a.tif", "a.tif"}, {},
                    "'{dir}/out/config.txt' is not a regular file; only a regular file is replaced", true},
        HostileCase{"SingleOverAFifo", {"a.tif"}, {},
                    "'{dir}/out/config.txt' is not a regular file; only a regular file is replaced", true}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// Pixels of 1e306 m: imported, but no scale bar is told such a size.
TEST(Import, CellsLargerThanTheEarthGetNoCellMetres) {
    const TempDir dir("import-huge-cells");
    WriteRaster(dir / "in.tif", "GTiff", Georeferenced({0, 1e306, 0, 0, 0, -1e306}, 32632));
    const ImportRun run = Import({dir / "in.tif", dir / "out"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "warning: '" + (dir / "in.tif") +
                           "': a grid cell of 1e+306 metres on the ground is larger than the Earth's circumference; "
                           "config.txt gets no data/cell-metres\n");
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_EQ(config.find_variable("data/cell-metres"), nullptr);
    EXPECT_EQ(LoadGrid(dir / "out/data.txt").heights, (std::vector<std::vector<int>>{{0, 23}, {0, 0}}));
}

}  // namespace
