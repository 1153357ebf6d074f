// Where the written grid lies in the raster's coordinates: its corner and
// cells whichever way a north-up raster runs, resampled or padded to the
// square; numbers (with every digit) and names written so that config.txt
// gives them back exactly; and the keys only for a raster on a map.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_store.h"
#include "fixtures.h"
#include "grid_location.h"
#include "temp_files.h"

namespace {

TEST(GridLocation, CornerAndCellsWhicheverWayTheRasterRuns) {
    struct {
        const char* name;
        std::array<double, 6> transform;
        int width, height;
        GridPlacement placement;
        bool known;
        double x, y, cellWidth, cellHeight;
    } const cases[] = {
        {"north-up", {500000, 10, 0, 5500000, 0, -10}, 5, 5, {5, 5, 5, 0, 0}, true, 500000, 5499950, 10, 10},
        {"resampled to a third", {500000, 10, 0, 5500000, 0, -10}, 6, 6, {2, 2, 2, 0, 0}, true, 500000, 5499940, 30, 30},
        // The square's holes south of a wide raster, west of a tall one.
        {"padded south", {500000, 10, 0, 5500000, 0, -10}, 4, 2, {4, 4, 2, 0, 1}, true, 500000, 5499970, 10, 10},
        {"padded west", {100, 2, 0, 50, 0, -4}, 2, 8, {8, 2, 8, 3, 0}, true, 94, 18, 2, 4},
        {"rows running north", {100, 2, 0, 200, 0, 3}, 4, 4, {4, 4, 4, 0, 0}, true, 100, 200, 2, 3},
        {"columns running west", {100, -2, 0, 200, 0, -2}, 4, 4, {4, 4, 4, 0, 0}, true, 92, 192, 2, 2},
        {"rotated", {0, 1, 0.5, 0, 0, -1}, 4, 4, {4, 4, 4, 0, 0}, false, 0, 0, 0, 0},
        {"sheared", {0, 1, 0, 0, 0.25, -1}, 4, 4, {4, 4, 4, 0, 0}, false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GridLocation location = LocateGrid(c.transform, c.width, c.height, c.placement);
        ASSERT_EQ(location.known, c.known);
        if (!c.known) continue;
        EXPECT_EQ(std::vector<double>({location.x, location.y, location.cellWidth, location.cellHeight}),
                  std::vector<double>({c.x, c.y, c.cellWidth, c.cellHeight}));
    }
}

// Apostrophes, backslashes, expressions and comment marks stay text.
TEST(GridLocation, NamesReadBackAsWritten) {
    for (const std::string name : {"WGS 84 / UTM zone 31N", "Cote d'Ivoire", "ends in \\", "\\\\'\\", "\\$",
                                   "${x} and ${+ 1 2}", "# not a comment = 2", "line\nbreak"}) {
        SCOPED_TRACE(name);
        const TempDir dir("import-quoted");
        WriteFile(dir / "config.txt", "[data]\ncrs = " + ConfigQuoted(name) + "\nfile = after.txt\n");
        const ConfigStore config((dir / "config.txt").c_str());
        EXPECT_STREQ(config.lookup("data/crs", "(unset)"), name == "line\nbreak" ? "line?break" : name.c_str());
        EXPECT_STREQ(config.lookup("data/file", "(unset)"), "after.txt");
    }
}

Raster Placed(int width, int height, std::optional<std::array<double, 6>> transform, const std::string& srs) {
    Raster raster = Filled(width, height, 7);
    raster.transform = transform;
    raster.srs = srs;
    return raster;
}

// A transverse Mercator grid that no database knows.
const char* const siteGrid =
    "PROJCS[\"Site grid 'B'\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
    "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],"
    "PARAMETER[\"central_meridian\",10.3],PARAMETER[\"scale_factor\",0.9999],PARAMETER[\"false_easting\",123456],"
    "UNIT[\"metre\",1]]";

TEST(ImportLocation, GeoreferencedRastersSayWhereTheGridLies) {
    const std::array<double, 6> utm = {291230, 30, 0, 5501350, 0, -30};
    // Centred on 60 degrees north, where a degree of longitude is half one
    // of latitude on the ground: 12 x 6 cells make a square, of cells half
    // as deep as wide in degrees.
    const std::array<double, 6> degrees = {10, 1 / 120.0, 0, 60.025, 0, -1 / 120.0};
    struct {
        const char* name;
        Raster raster;
        std::vector<std::string> options;
        const char* origin;
        const char* cellSize;
        const char* crs;  // "(unset)": not written
    } const cases[] = {
        {"projected", Placed(6, 6, utm, "EPSG:32631"), {}, "291230 5501170", "30 30", "EPSG:32631"},
        {"projected, resampled", Placed(6, 6, utm, "EPSG:32631"), {"--size", "4"}, "291230 5501170", "45 45",
         "EPSG:32631"},
        {"geographic", Placed(12, 6, degrees, "EPSG:4326"), {}, "10 59.975", "0.008333333333333333 0.004166666666666667",
         "EPSG:4326"},
        // Found by its definition: the file names no code for it.
        {"UTM by its parameters", Placed(6, 6, utm, "+proj=utm +zone=31 +datum=WGS84"), {}, "291230 5501170", "30 30",
         "EPSG:32631"},
        // Of no database: its name; without a name, still its place.
        {"named grid of its own", Placed(6, 6, utm, siteGrid), {}, "291230 5501170", "30 30", "Site grid 'B'"},
        {"unnamed grid of its own", Placed(6, 6, utm, "+proj=tmerc +lon_0=10.3 +x_0=123456 +ellps=GRS80"), {},
         "291230 5501170", "30 30", "(unset)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir("import-location");
        WriteRaster(dir / "in.tif", "GTiff", c.raster);
        std::vector<std::string> arguments = {dir / "in.tif", dir / "out"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ImportRun run = Import(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const ConfigStore config((dir / "out/config.txt").c_str());
        EXPECT_STREQ(config.lookup("data/origin", "(unset)"), c.origin);
        EXPECT_STREQ(config.lookup("data/cell-size", "(unset)"), c.cellSize);
        EXPECT_STREQ(config.lookup("data/crs", "(unset)"), c.crs);
    }
}

// Without a geotransform, or a coordinate system to read one in, there is
// no map to place the grid on.
TEST(ImportLocation, NoKeysWithoutAMap) {
    for (const Raster& raster : {Placed(6, 6, std::nullopt, ""), Placed(6, 6, {{10, 0.01, 0, 60, 0, -0.01}}, "")}) {
        const TempDir dir("import-location");
        WriteRaster(dir / "in.tif", "GTiff", raster);
        ASSERT_EQ(Import({dir / "in.tif", dir / "out"}).status, 0);
        const std::string config = ReadFile(dir / "out/config.txt");
        for (const char* key : {"\norigin", "\ncell-size", "\ncrs"})
            EXPECT_EQ(config.find(key), std::string::npos) << key << " in\n" << config;
    }
}

}  // namespace
