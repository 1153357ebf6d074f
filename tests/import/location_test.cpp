// Where the written grid lies in the raster's coordinates: its corner and
// cells for every way a north-up raster's rows and columns may run and for
// grids resampled or padded to a square, the numbers and names written so
// that config.txt gives them back exactly, and the keys written only for a
// raster that can be placed on a map.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "config_store.h"
#include "fixtures.h"
#include "grid_location.h"
#include "temp_files.h"

namespace {

struct PlaceCase {
    const char* name;
    std::array<double, 6> transform;
    int width;
    int height;
    GridPlacement placement;
    bool known;
    double x, y, cellWidth, cellHeight;
};

TEST(GridLocation, CornerAndCellsWhicheverWayTheRasterRuns) {
    const PlaceCase cases[] = {
        {"north-up, full resolution", {500000, 10, 0, 5500000, 0, -10}, 5, 5, {5, 5, 5, 0, 0}, true, 500000, 5499950,
         10, 10},
        {"resampled to a third", {500000, 10, 0, 5500000, 0, -10}, 6, 6, {2, 2, 2, 0, 0}, true, 500000, 5499940, 30,
         30},
        // Holes fill the square south and north of a wide raster: the
        // corner is a row of holes south of it.
        {"padded to a square", {500000, 10, 0, 5500000, 0, -10}, 4, 2, {4, 4, 2, 0, 1}, true, 500000, 5499970, 10,
         10},
        {"padded west of a tall raster", {100, 2, 0, 50, 0, -4}, 2, 8, {8, 2, 8, 3, 0}, true, 94, 18, 2, 4},
        {"rows running north", {100, 2, 0, 200, 0, 3}, 4, 4, {4, 4, 4, 0, 0}, true, 100, 200, 2, 3},
        {"columns running west", {100, -2, 0, 200, 0, -2}, 4, 4, {4, 4, 4, 0, 0}, true, 92, 192, 2, 2},
        {"rotated", {0, 1, 0.5, 0, 0, -1}, 4, 4, {4, 4, 4, 0, 0}, false, 0, 0, 0, 0},
        {"sheared", {0, 1, 0, 0, 0.25, -1}, 4, 4, {4, 4, 4, 0, 0}, false, 0, 0, 0, 0},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const GridLocation location = LocateGrid(c.transform, c.width, c.height, c.placement);
        ASSERT_EQ(location.known, c.known);
        if (!c.known) continue;
        EXPECT_DOUBLE_EQ(location.x, c.x);
        EXPECT_DOUBLE_EQ(location.y, c.y);
        EXPECT_DOUBLE_EQ(location.cellWidth, c.cellWidth);
        EXPECT_DOUBLE_EQ(location.cellHeight, c.cellHeight);
    }
}

TEST(GridLocation, NumbersReadBackAsTheSameDouble) {
    for (const double value : {0.0, -0.0, 0.1, 5501234.5, -49.5125, 1 / 120.0, 1e-300, 1.7976931348623157e308}) {
        SCOPED_TRACE(value);
        const std::string text = ExactNumber(value);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        EXPECT_EQ(text.rfind('-', 0) == 0, value < 0) << text;
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
    EXPECT_EQ(ExactNumber(0.1), "0.1");
}

// Each name written as the importer writes it and read back by the viewer's
// reader; the language's apostrophes, backslashes, expressions and comment
// marks stay text.
TEST(GridLocation, NamesReadBackAsWritten) {
    const std::pair<std::string, std::string> cases[] = {
        {"EPSG:32631", "EPSG:32631"},
        {"WGS 84 / UTM zone 31N", "WGS 84 / UTM zone 31N"},
        {"Cote d'Ivoire", "Cote d'Ivoire"},
        {"a\\b", "a\\b"},
        {"ends in \\", "ends in \\"},
        {"\\\\'\\", "\\\\'\\"},
        {"\\'", "\\'"},
        {"${x} and ${+ 1 2}", "${x} and ${+ 1 2}"},
        {"\\$", "\\$"},
        {"# not a comment = 2", "# not a comment = 2"},
        {"[data]", "[data]"},
        {"line\nbreak\ttab", "line?break?tab"},
    };
    for (const auto& [name, readBack] : cases) {
        SCOPED_TRACE(name);
        const TempDir dir("import-quoted");
        WriteFile(dir / "config.txt", "[data]\ncrs = " + ConfigQuoted(name) + "\nfile = after.txt\n");
        const ConfigStore config((dir / "config.txt").c_str());
        EXPECT_STREQ(config.lookup("data/crs", "(unset)"), readBack.c_str());
        EXPECT_STREQ(config.lookup("data/file", "(unset)"), "after.txt");
    }
}

struct ImportedCase {
    const char* name;
    Raster raster;
    std::vector<std::string> options;
    // The keys as config.txt gives them back.
    double x, y, cellWidth, cellHeight;
    const char* crs;  // "(unset)": not written
};

Raster Ramp(int width, int height, std::optional<std::array<double, 6>> transform, int epsg,
            const std::string& srs = "") {
    Raster raster = Filled(width, height, 0);
    for (std::size_t i = 0; i < raster.values.size(); ++i) raster.values[i] = static_cast<double>(i);
    raster.transform = transform;
    raster.epsg = epsg;
    raster.srs = srs;
    return raster;
}

// The two numbers of a key, as the programs read them.
std::vector<double> Numbers(const ConfigStore& config, const char* key) {
    std::vector<double> numbers;
    const char* text = config.lookup(key, "");
    char* end = nullptr;
    for (double value = std::strtod(text, &end); end != text; value = std::strtod(text, &end)) {
        numbers.push_back(value);
        text = end;
    }
    return numbers;
}

// A transverse Mercator grid no database knows.
const char* const siteGrid =
    "PROJCS[\"Site grid 'B'\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
    "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],"
    "PARAMETER[\"latitude_of_origin\",0],PARAMETER[\"central_meridian\",10.3],PARAMETER[\"scale_factor\",0.9999],"
    "PARAMETER[\"false_easting\",123456],PARAMETER[\"false_northing\",0],UNIT[\"metre\",1]]";

TEST(ImportLocation, GeoreferencedRastersSayWhereTheGridLies) {
    const std::array<double, 6> utm = {291230, 30, 0, 5501350, 0, -30};
    // Centred on 60 degrees north, where a degree of longitude is half one
    // of latitude on the ground: 12 x 6 cells make a square, and the
    // grid's cells are half as deep as wide in degrees.
    const std::array<double, 6> degrees = {10, 1 / 120.0, 0, 60.025, 0, -1 / 120.0};
    const ImportedCase cases[] = {
        {"projected", Ramp(6, 6, utm, 32631), {}, 291230, 5501170, 30, 30, "EPSG:32631"},
        {"projected, resampled", Ramp(6, 6, utm, 32631), {"--size", "4"}, 291230, 5501170, 45, 45, "EPSG:32631"},
        // Twice as wide as tall: a row of holes south of it, as many north.
        {"projected, wide", Ramp(8, 4, utm, 32631), {"--size", "4"}, 291230, 5501170, 60, 60, "EPSG:32631"},
        {"geographic", Ramp(12, 6, degrees, 4326), {}, 10, 59.975, 1 / 120.0, 1 / 240.0, "EPSG:4326"},
        {"geographic, resampled", Ramp(12, 6, degrees, 4326), {"--size", "6"}, 10, 59.975, 1 / 60.0, 1 / 120.0,
         "EPSG:4326"},
        // Found by its definition: the file holds no code for the whole.
        {"compound", Ramp(12, 6, degrees, 0, "EPSG:4326+5773"), {}, 10, 59.975, 1 / 120.0, 1 / 240.0,
         "EPSG:9707"},
        {"UTM by its parameters", Ramp(6, 6, utm, 0, "+proj=utm +zone=31 +datum=WGS84 +units=m +no_defs"), {}, 291230,
         5501170, 30, 30, "EPSG:32631"},
        // No system of the database: its name, blanks and all; without one,
        // the place is still given.
        {"named grid of its own", Ramp(6, 6, utm, 0, siteGrid), {}, 291230, 5501170, 30, 30, "Site grid 'B'"},
        {"unnamed grid of its own", Ramp(6, 6, utm, 0, "+proj=tmerc +lon_0=10.3 +k=0.9999 +x_0=123456 +ellps=GRS80"),
         {}, 291230, 5501170, 30, 30, "(unset)"},
    };
    for (const ImportedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir("import-location");
        WriteRaster(dir / "in.tif", "GTiff", c.raster);
        std::vector<std::string> arguments = {dir / "in.tif", dir / "out"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ImportRun run = Import(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const ConfigStore config((dir / "out/config.txt").c_str());
        const std::vector<double> origin = Numbers(config, "data/origin");
        const std::vector<double> cell = Numbers(config, "data/cell-size");
        ASSERT_EQ(origin.size(), 2u);
        ASSERT_EQ(cell.size(), 2u);
        const double tolerance = 1e-9 * std::max(std::fabs(c.x), std::fabs(c.y));
        EXPECT_NEAR(origin[0], c.x, tolerance);
        EXPECT_NEAR(origin[1], c.y, tolerance);
        EXPECT_NEAR(cell[0], c.cellWidth, 1e-12 * c.cellWidth);
        EXPECT_NEAR(cell[1], c.cellHeight, 1e-12 * c.cellHeight);
        EXPECT_STREQ(config.lookup("data/crs", "(unset)"), c.crs);
    }
}

// Without a geotransform, or without a coordinate system to read it in,
// there is no map to place the grid on.
TEST(ImportLocation, NoKeysWithoutAMap) {
    const std::array<double, 6> degrees = {5.75, 1 / 120.0, 0, 49.5, 0, -1 / 120.0};
    const std::pair<const char*, Raster> cases[] = {
        {"no georeferencing", Ramp(6, 6, std::nullopt, 0)},
        {"no coordinate system", Ramp(6, 6, degrees, 0)},
    };
    for (const auto& [name, raster] : cases) {
        SCOPED_TRACE(name);
        const TempDir dir("import-location");
        WriteRaster(dir / "in.tif", "GTiff", raster);
        const ImportRun run = Import({dir / "in.tif", dir / "out"});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string config = ReadFile(dir / "out/config.txt");
        for (const char* key : {"origin", "cell-size", "crs"})
            EXPECT_EQ(config.find(std::string("\n") + key + " ="), std::string::npos) << key;
    }
}

}  // namespace
