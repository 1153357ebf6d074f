// What the scene works out from the points alone: the survey, which spheres
// their neighbours shut in, and the tiles the impostors draw by.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "grid_file.h"
#include "survey/hidden_spheres.h"
#include "impostors/impostor_tiles.h"
#include "impostors/open_faces.h"
#include "survey/point_survey.h"
#include "temp_files.h"

namespace {

std::unique_ptr<SurfData> Grid(const std::string& name, const Heights& rows) {
    static const TempDir dir("survey");
    return GridAt(dir / name, rows);
}

TEST(PointSurvey, ExtentLevelsAndColumnTops) {
    const auto grid = Grid("survey.txt", {{1, 0, -1}, {0, 3, 0}, {0, 0, 2}});
    const PointSurvey survey = SurveyPoints(*grid);
    EXPECT_EQ(survey.count, grid->x.size());
    EXPECT_EQ(survey.lowest, (Point3{0, 0, 0}));
    EXPECT_EQ(survey.highest, (Point3{2, 2, 3}));
    EXPECT_TRUE(survey.wholeLevels);
    ASSERT_FALSE(survey.columns.empty());
    const ColumnTable& columns = survey.columns;
    const int expected[3][3] = {{1, 0, -1}, {0, 3, 0}, {0, 0, 2}};
    for (int y = -1; y <= 3; ++y) {
        for (int x = -1; x <= 3; ++x) {
            const bool inside = x >= 0 && x <= 2 && y >= 0 && y <= 2;
            EXPECT_EQ(columns.top[columns.CellOf(x, y)], inside ? expected[y][x] : -1) << x << " " << y;
        }
    }
    EXPECT_TRUE(SurveyPoints(*Grid("none.txt", {{-1}})).empty());
}

TEST(HiddenSpheres, RuleHoldsOnlyWhereTheFacetedSpheresCloseTheGaps) {
    struct Case {
        double radius;
        int tesel;
        bool holds;
    };
    const Case cases[] = {
        // True spheres need a radius above sqrt(2)/2; six facets lose too much.
        {0.75, 6, false}, {0.75, 8, true}, {0.75, 9, false}, {0.75, 12, true}, {0.75, 64, true},
        {0.70, 64, false}, {0.71, 64, true}, {0.8, 6, true}, {0.8, 5, false},
        // Spheres reaching the cube's surface, flat spheres, no spheres.
        {1.0, 64, false}, {1.5, 16, false}, {0.9, 2, false}, {0.9, 0, false}, {0.0, 8, false}, {-0.9, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("radius " + std::to_string(c.radius) + " tesel " + std::to_string(c.tesel));
        EXPECT_EQ(NeighboursEncloseSphere(c.radius, c.tesel), c.holds);
    }
}


TEST(HiddenSpheres, PointsNotInWholeColumnsAreAllKept) {
    const auto grid = Grid("cull-odd.txt", Block(3, 2));
    ASSERT_EQ(EnclosedPoints(*grid, SurveyPoints(*grid), 0.75, 8).size(), grid->x.size());
    struct Case {
        const char* name;
        std::function<void(SurfData&)> change;
    };
    const Case cases[] = {
        {"a coordinate between grid points", [](SurfData& d) { d.x[0] = 0.5; }},
        {"a level twice", [](SurfData& d) { d.z[1] = 0; }},
        {"a column split in two runs", [](SurfData& d) { std::swap(d.x[2], d.x[3]); std::swap(d.z[2], d.z[3]); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto changed = Grid("cull-odd.txt", Block(3, 2));
        c.change(*changed);
        EXPECT_TRUE(EnclosedPoints(*changed, SurveyPoints(*changed), 0.75, 8).empty());
    }
}

TEST(HiddenSpheres, TrueSphereRuleHoldsForRadiiBetweenHalfRootTwoAndOne) {
    const struct {
        double radius;
        bool holds;
    } cases[] = {{0.5, false}, {0.7071, false}, {0.7072, true}, {0.75, true}, {0.999, true}, {1.0, false}, {-0.8, false}};
    for (const auto& c : cases) EXPECT_EQ(NeighboursEncloseTrueSphere(c.radius), c.holds) << c.radius;
}
// A tile is skipped only when all its spheres lie outside the view volume;
// the identity view's volume is the cube [-1, 1]^3. Slots 0..39, ten a tile,
// four of them coarse.
TEST(SphereTiles, SkippedOnlyWhenNoSphereReachesIntoTheView) {
    auto tile = [](std::uint32_t first, std::array<float, 3> low, std::array<float, 3> high) {
        SphereTile t;
        t.first = first, t.count = 10, t.coarse = 4, t.low = low, t.high = high;
        return t;
    };
    const std::vector<SphereTile> tiles = {
        tile(0, {0, 0, 0}, {0.5f, 0.5f, 0.5f}),           // inside
        tile(10, {1.3f, 0, 0}, {2, 0.5f, 0.5f}),          // 0.3 beyond x = 1: spheres reach in
        tile(20, {0, -2, -2}, {0.5f, -1.5f, 0.5f}),       // 0.5 beyond y = -1: none does
        tile(30, {-0.5f, 0, -1.35f}, {0.5f, 0.5f, -1.3f}),  // 0.3 beyond the near plane
    };
    std::array<double, 16> identity{};
    for (std::size_t i = 0; i < 16; i += 5) identity[i] = 1;
    const struct {
        bool coarse, skip;
        std::vector<std::int32_t> firsts, counts;
    } cases[] = {
        {false, true, {0, 30}, {20, 10}},
        {true, true, {0, 10, 30}, {4, 4, 4}},
        {false, false, {0}, {40}},
    };
    for (const auto& c : cases) {
        std::vector<std::int32_t> firsts, counts;
        VisibleRuns(tiles, identity, 0.4, c.coarse, c.skip, firsts, counts);
        EXPECT_EQ(firsts, c.firsts);
        EXPECT_EQ(counts, c.counts);
    }
}
// The coarse columns (even x and y) lead each tile; every kept point has
// one slot.
TEST(SphereTiles, CoarseColumnsFirstInEveryTile) {
    const auto grid = Grid("layout.txt", {{1, 0, 0}, {0, 2, 0}, {0, 0, 0}});
    std::vector<bool> leftOut(grid->x.size(), false);
    leftOut[1] = true;  // (0, 0, 1)
    const SphereLayout layout(*grid, SurveyPoints(*grid), leftOut, 2);
    ASSERT_EQ(layout.spheres(), grid->x.size() - 1);
    std::vector<float> slots(3 * layout.spheres(), -1);
    layout.Place(slots.data());
    std::vector<std::array<float, 3>> placed;
    for (std::size_t i = 0; i < slots.size(); i += 3) placed.push_back({slots[i], slots[i + 1], slots[i + 2]});
    // Tiles of 2x2 columns: (0..1, 0..1), (2, 0..1), (0..1, 2), (2, 2).
    const std::vector<std::array<float, 3>> expected = {
        {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {1, 1, 2}, {2, 0, 0}, {2, 1, 0},
        {0, 2, 0}, {1, 2, 0}, {2, 2, 0}};
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(layout.lowest(), 0);
    EXPECT_EQ(layout.highest(), 2);
}

// Laid out from the survey's columns, the spheres take the very slots they
// take when laid out point by point, with the cull's choice of points.
TEST(SphereTiles, ColumnsGiveTheSlotsOfThePoints) {
    Heights ridge = Block(70, 3);
    for (int y = 0; y < 70; ++y) ridge[y][(y * 7) % 70] = 9, ridge[y][(y * 3) % 70] = -1;
    for (const bool shell : {false, true}) {
        SCOPED_TRACE(shell ? "shell" : "every level");
        const auto grid = Grid("columns.txt", ridge);
        const PointSurvey survey = SurveyPoints(*grid);
        const std::vector<bool> leftOut = shell ? SurroundedPoints(*grid, survey) : std::vector<bool>();
        const SphereLayout fromPoints(*grid, survey, leftOut), fromColumns(survey, shell);
        ASSERT_EQ(fromColumns.spheres(), fromPoints.spheres());
        ASSERT_LT(fromColumns.spheres(), shell ? grid->x.size() : grid->x.size() + 1);
        std::vector<float> a(3 * fromPoints.spheres()), b(a.size());
        fromPoints.Place(a.data());
        fromColumns.Place(b.data());
        EXPECT_EQ(a, b);
    }
}

// Each sphere is told which of its faces lie open: its column's top, and
// its sides towards lower neighbours (or none); with sky shares the byte
// after it holds the share.
TEST(SphereTiles, OpenFacesOfEverySphere) {
    const auto grid = Grid("faces.txt", {{2, 1}, {2, 1}});
    const PointSurvey survey = SurveyPoints(*grid);
    const SphereLayout layout(survey, false);
    for (const bool shares : {false, true}) {
        SCOPED_TRACE(shares ? "with sky shares" : "faces alone");
        const std::size_t stride = shares ? 2 : 1;
        std::vector<float> centres(3 * layout.spheres());
        std::vector<unsigned char> traits(stride * layout.spheres(), 0);
        layout.Place(centres.data(), traits.data(), shares, 0.5);
        std::map<std::array<float, 3>, unsigned char> faces;
        for (std::size_t i = 0; i < layout.spheres(); ++i) {
            faces[{centres[3 * i], centres[3 * i + 1], centres[3 * i + 2]}] = traits[stride * i];
            if (shares) {
                EXPECT_GT(traits[stride * i + 1], 0);
            }
        }
        const struct {
            std::array<float, 3> at;
            unsigned char open;
        } cases[] = {
            {{0, 0, 2}, openTop | openPlusX | openMinusX | openMinusY},
            {{0, 0, 1}, openMinusX | openMinusY},
            {{1, 0, 1}, openTop | openPlusX | openMinusY},
            {{0, 1, 2}, openTop | openPlusX | openMinusX | openPlusY},
            {{1, 1, 0}, openPlusX | openPlusY},
        };
        for (const auto& c : cases) {
            ASSERT_EQ(faces.count(c.at), 1u) << c.at[0] << " " << c.at[1] << " " << c.at[2];
            EXPECT_EQ(faces[c.at], c.open) << c.at[0] << " " << c.at[1] << " " << c.at[2];
        }
    }
}

}  // namespace
