// Rasters of each kind converted in this process and read back through the
// viewer's loader: shape, holes, both extreme levels, orientation, aspect
// and the configuration written beside the data.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "config_store.h"
#include "fixtures.h"
#include "temp_files.h"

namespace {

constexpr double noData = -9999;
// 10 m cells of a UTM zone.
constexpr std::array<double, 6> metreCells = {500000, 10, 0, 5500000, 0, -10};

// A 5 x 5 ramp in one format: cell (r, c) holds lowest + step * (5r + c), so
// that 25 levels give it level 5r + c; `holes` lists raster cells r * 5 + c
// set to nodata. A georeferenced ramp is in a UTM zone.
struct RampCase {
    const char* driver;
    const char* file;
    GDALDataType type;
    double lowest;
    double step;
    bool georeferenced;
    const char* unit;  // the band's; only metres make the heights metres
    std::vector<int> holes;
};

void PrintTo(const RampCase& ramp, std::ostream* out) { *out << ramp.driver; }

class Formats : public ::testing::TestWithParam<RampCase> {};

TEST_P(Formats, RampKeepsItsLevelsHolesAndNorthAtTheLastRow) {
    const RampCase& ramp = GetParam();
    const TempDir dir("import-ramp");
    Raster raster = Filled(5, 5, 0, ramp.type);
    for (int k = 0; k < 25; ++k) raster.values[k] = ramp.lowest + ramp.step * k;
    if (!ramp.holes.empty()) raster.nodata = noData;
    for (int k : ramp.holes) raster.values[k] = noData;
    if (ramp.georeferenced) raster.transform = metreCells;
    if (ramp.georeferenced) raster.epsg = 32632;
    raster.unit = ramp.unit;
    WriteRaster(dir / ramp.file, ramp.driver, raster);

    const ImportRun run = Import({dir / ramp.file, dir / "out", "--levels", "25"});
    ASSERT_EQ(run.status, 0) << run.err;
    const LoadedGrid grid = LoadGrid(dir / "out/data.txt");
    ASSERT_EQ(grid.size, 5);
    std::size_t points = 0;
    for (int k = 0; k < 25; ++k) {
        const bool hole = std::find(ramp.holes.begin(), ramp.holes.end(), k) != ramp.holes.end();
        // Raster row 0 is the north: the data file's last row.
        EXPECT_EQ(grid.heights[4 - k / 5][k % 5], hole ? -1 : k) << "raster cell " << k;
        points += hole ? 0 : k + 1;
    }
    EXPECT_EQ(grid.points, points);
    const bool metres = std::string(ramp.unit) == "m";
    EXPECT_EQ(run.out, "wrote " + (dir / "out") + "/data.txt: 5 x 5 cells, " + std::to_string(points) +
                           " points, heights 0 to 24 (" + std::to_string(static_cast<int>(ramp.step)) +
                           (metres ? " metres" : " units") + " per level)\n");
    EXPECT_EQ(run.err, "");
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_EQ(config.lookup("data/metres-per-level", 0.0), metres ? ramp.step : 0);
    EXPECT_EQ(config.lookup("data/level-0-metres", 0.0), metres ? ramp.lowest : 0);
    EXPECT_EQ(config.lookup("data/cell-metres", 0.0), ramp.georeferenced ? 10 : 0);
}

INSTANTIATE_TEST_SUITE_P(Import, Formats,
                         ::testing::Values(RampCase{"GTiff", "nodata.tif", GDT_Int16, 100, 10, true, "m", {1, 18}},
                                           RampCase{"AAIGrid", "grid.asc", GDT_Int16, -40, 3, true, "", {12}},
                                           RampCase{"PNG", "heights.png", GDT_UInt16, 0, 2730, false, "", {}}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.driver); });

// 4 x 4 cells averaged into 2 x 2: the north-west block holds 10, 10, 40 and
// one missing cell, the north-east 0s, the south-west only missing cells and
// the south-east 100s. `missing` is NaN or a declared nodata value.
void ExpectMissingCellsLeftOutOfAverages(GDALDataType type, double missing, bool declared) {
    const TempDir dir("import-average");
    Raster raster = Filled(4, 4, 0, type);
    raster.values = {10,      10,      0,   0,    //
                     40,      missing, 0,   0,    //
                     missing, missing, 100, 100,  //
                     missing, missing, 100, 100};
    if (declared) raster.nodata = missing;
    WriteRaster(dir / "in.tif", "GTiff", raster);

    const ImportRun run = Import({dir / "in.tif", dir / "out", "--size", "2", "--levels", "101"});
    ASSERT_EQ(run.status, 0) << run.err;
    const LoadedGrid grid = LoadGrid(dir / "out/data.txt");
    ASSERT_EQ(grid.size, 2);
    EXPECT_EQ(grid.heights[1][0], 20);  // (10 + 10 + 40) / 3: the missing cell stays out
    EXPECT_EQ(grid.heights[1][1], 0);
    EXPECT_EQ(grid.heights[0][0], -1);
    EXPECT_EQ(grid.heights[0][1], 100);
}

TEST(Import, NaNCellsAreHolesAndStayOutOfAverages) { ExpectMissingCellsLeftOutOfAverages(GDT_Float32, NAN, false); }

TEST(Import, NodataCellsAreHolesAndStayOutOfAverages) {
    ExpectMissingCellsLeftOutOfAverages(GDT_Int16, noData, true);
}

// 20 x 10 cells of 0.01 degrees centred on 60 degrees north: a degree of
// longitude there is half a degree of latitude on the ground, so the raster
// is square and fills the grid. Metres per level are metres.
TEST(Import, GeographicRasterIsMeasuredInMetresAlongTheGround) {
    const TempDir dir("import-geographic");
    Raster raster = Filled(20, 10, 0);
    for (int r = 0; r < 10; ++r)
        for (int c = 10; c < 20; ++c) raster.values[r * 20 + c] = 1000;
    raster.transform = {{10, 0.01, 0, 60.05, 0, -0.01}};
    raster.epsg = 4326;
    WriteRaster(dir / "geo.tif", "GTiff", raster);

    const ImportRun run = Import({dir / "geo.tif", dir / "out", "--metres-per-level", "100"});
    ASSERT_EQ(run.status, 0) << run.err;
    const LoadedGrid grid = LoadGrid(dir / "out/data.txt");
    ASSERT_EQ(grid.size, 20);
    for (int row = 0; row < 20; ++row)
        for (int column = 0; column < 20; ++column)
            ASSERT_EQ(grid.heights[row][column], column < 10 ? 0 : 10) << row << ", " << column;
    EXPECT_EQ(run.out, "wrote " + (dir / "out") + "/data.txt: 20 x 20 cells, 2400 points, heights 0 to 10 (100 "
                                                  "metres per level)\n");
}

// How a raster is taken where it could be taken more than one way: a
// geotransform without a coordinate system, the unit of the values, bands
// other than the first, and advice that would take the levels past what a
// cell holds.
struct ReadingCase {
    const char* name;
    const char* file;  // its extension names the driver
    Raster raster;
    std::vector<std::string> options;
    std::string err;      // the whole of standard error; "{in}" is the input
    std::string wrote;    // how the "wrote" line goes on after the data file's name
    std::string comment;  // in config.txt
    bool metreKeys;      // data/metres-per-level and data/level-0-metres written
};

void PrintTo(const ReadingCase& reading, std::ostream* out) { *out << reading.name; }

class Readings : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(Readings, SayHowTheRasterWasTaken) {
    const ReadingCase& reading = GetParam();
    const TempDir dir("import-reading");
    const std::string file = reading.file;
    const std::string extension = file.substr(file.find('.') + 1);
    WriteRaster(dir / file, extension == "png" ? "PNG" : extension == "nc" ? "netCDF" : "GTiff", reading.raster);
    std::vector<std::string> arguments = {dir / file, dir / "out"};
    arguments.insert(arguments.end(), reading.options.begin(), reading.options.end());

    const ImportRun run = Import(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    std::string err = reading.err;
    if (err.find("{in}") != std::string::npos) err.replace(err.find("{in}"), 4, dir / file);
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(run.out, "wrote " + (dir / "out/data.txt") + ": " + reading.wrote + "\n");
    const std::string config = ReadFile(dir / "out/config.txt");
    EXPECT_NE(config.find(reading.comment), std::string::npos) << config;
    EXPECT_EQ(config.find("metres-per-level =") != std::string::npos, reading.metreKeys) << config;
}

// `width` x `height` cells, each `fill` but the last, which is `last`.
Raster Step(int width, int height, double fill, double last, const std::array<double, 6>& transform, int epsg,
            const std::string& unit) {
    Raster raster = Filled(width, height, fill);
    raster.values.back() = last;
    raster.transform = transform;
    raster.epsg = epsg;
    raster.unit = unit;
    return raster;
}

Raster WithSrs(Raster raster, const std::string& srs) {
    raster.srs = srs;
    return raster;
}

Raster WithBands(Raster raster, std::vector<GDALColorInterp> colours, bool palette = false) {
    raster.type = GDT_Byte;
    raster.colours = std::move(colours);
    raster.palette = palette;
    return raster;
}

// 0.01 degrees at 60 degrees north: a cell is twice as high on the ground as
// it is wide, so 20 x 10 of them fill the square.
constexpr std::array<double, 6> degreeCells = {10, 0.01, 0, 60.05, 0, -0.01};
constexpr std::array<double, 6> tinyCells = {500000, 1e-7, 0, 5500000, 0, -1e-7};
const Raster rgb = WithBands(Filled(2, 2, 9), {GCI_RedBand, GCI_GreenBand, GCI_BlueBand});

INSTANTIATE_TEST_SUITE_P(
    Import, Readings,
    ::testing::Values(
        ReadingCase{"NoCoordinateSystemButDegrees", "in.tif", Step(20, 10, 0, 230, degreeCells, 0, "m"), {},
                    "warning: '{in}' has no coordinate system; its cell centres, x 10.005 to 10.195 and y 59.955 to "
                    "60.045, fit longitude and latitude, so they are taken as degrees\n",
                    "20 x 20 cells, 446 points, heights 0 to 23 (10 metres per level)",
                    "(from degrees, going by the extent: no coordinate system; at the centre)", true},
        ReadingCase{"NoCoordinateSystemNorDegrees", "in.tif", Step(20, 10, 0, 230, metreCells, 0, ""), {},
                    "warning: '{in}' has no coordinate system, and its cell centres, x 500005 to 500195 and y "
                    "5499905 to 5499995, are not longitude and latitude; its cells are taken as square, of unknown "
                    "size\n",
                    "20 x 20 cells, 223 points, heights 0 to 23 (10 units per level)",
                    "# Source cells: in units of no coordinate system; taken as square\n", false},
        // GDAL gives a GeoTIFF's band the vertical system's unit, not a netCDF's.
        ReadingCase{"VerticalSystemInMetres", "in.nc",
                    WithSrs(Step(2, 2, 0, 230, metreCells, 0, ""), "EPSG:32632+5773"), {}, "",
                    "2 x 2 cells, 27 points, heights 0 to 23 (10 metres per level)", "# Heights: 0 to 230 metres",
                    true},
        ReadingCase{"UnitNamed", "in.tif", Step(2, 2, 0, 230, metreCells, 32632, "ft"), {}, "",
                    "2 x 2 cells, 27 points, heights 0 to 23 (10 ft per level)",
                    "# Heights: 0 to 230 ft, as levels 0 to 23 of 10 ft per level\n", false},
        ReadingCase{"TrueScalePastTheHighestLevel", "in.tif", Step(2, 2, 0, 1000, tinyCells, 32632, "m"), {}, "",
                    "2 x 2 cells, 27 points, heights 0 to 23 (43.4783 metres per level)",
                    "# Grid cells: 1e-07 metres on the ground (as --metres-per-level the levels would pass the "
                    "highest a cell holds)\n",
                    true},
        ReadingCase{"ColourBandChosen", "in.png", rgb, {"--band", "2"}, "",
                    "2 x 2 cells, 4 points, heights 0 to 0 (0 units per level)", "2 x 2 cells, band 2)", false},
        ReadingCase{"PaletteBandChosen", "in.png", WithBands(Filled(2, 2, 9), {}, true), {"--band", "1"}, "",
                    "2 x 2 cells, 4 points, heights 0 to 0 (0 units per level)", "2 x 2 cells, band 1)", false},
        ReadingCase{"OtherBandsLeft", "in.tif", WithBands(Filled(2, 2, 9), {GCI_Undefined, GCI_Undefined}), {},
                    "warning: '{in}' has 2 bands; band 1 is read (give --band N for another)\n",
                    "2 x 2 cells, 4 points, heights 0 to 0 (0 units per level)", "2 x 2 cells, band 1)", false}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// 30 x 10 square cells: 10 rows across the middle of a 30 x 30 grid, holes
// above and below; the northern raster row is the highest.
TEST(Import, NonSquareRasterKeepsItsShapeInTheMiddleOfTheSquare) {
    const TempDir dir("import-wide");
    Raster raster = Filled(30, 10, 0);
    for (int c = 0; c < 30; ++c) raster.values[c] = 50;
    raster.transform = metreCells;
    raster.epsg = 32632;
    WriteRaster(dir / "wide.tif", "GTiff", raster);

    ASSERT_EQ(Import({dir / "wide.tif", dir / "out", "--levels", "2"}).status, 0);
    const LoadedGrid grid = LoadGrid(dir / "out/data.txt");
    ASSERT_EQ(grid.size, 30);
    for (int row = 0; row < 30; ++row) {
        const int expected = row < 10 || row >= 20 ? -1 : row == 19 ? 1 : 0;
        for (int column = 0; column < 30; ++column) ASSERT_EQ(grid.heights[row][column], expected) << row;
    }
}

TEST(Import, ConfigurationShowsTheDataAndLargeGridsGetTheFastRenderer) {
    const TempDir dir("import-config");
    WriteRaster(dir / "small.tif", "GTiff", Filled(10, 10, 7));
    WriteRaster(dir / "large.tif", "GTiff", Filled(450, 450, 7, GDT_Byte));  // 202500 points
    ASSERT_EQ(Import({dir / "large.tif", dir / "small"}).status, 0);
    // Replaced only with --force (the refusal is among the errors' cases).
    ASSERT_EQ(Import({dir / "small.tif", dir / "small", "--force"}).status, 0);
    ASSERT_EQ(Import({dir / "large.tif", dir / "large"}).status, 0);

    const ConfigStore small((dir / "small/config.txt").c_str());
    EXPECT_STREQ(small.lookup("data/file", ""), "data.txt");
    EXPECT_EQ(small.lookup("display/fit-view", 0), 1);
    EXPECT_STREQ(small.lookup("display/colour", ""), "height");
    EXPECT_STREQ(small.lookup("display/renderer", "unset"), "unset");
    EXPECT_EQ(small.lookup("display/cull-hidden", 0), 0);
    EXPECT_NE(ReadFile(dir / "small/config.txt").find("# Source: " + (dir / "small.tif") + " (GTiff, 10 x 10 cells"),
              std::string::npos);

    const ConfigStore large((dir / "large/config.txt").c_str());
    EXPECT_STREQ(large.lookup("display/renderer", ""), "impostors");
    EXPECT_EQ(large.lookup("display/cull-hidden", 0), 1);
}

}  // namespace
