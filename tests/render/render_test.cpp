// pelorin-render run as a user runs it, with no display server: its options
// and their errors, the pictures it writes, and how it fails.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "asc_text.h"
#include "child_process.h"
#include "shading/height_colours.h"
#include "png_read.h"
#include "ridge_terrain.h"

namespace {

std::string Terrain() { return RidgeTerrain(); }

const char* const fitted = "[display]\nfit-view = 1\ncolour = height\nrenderer = impostors\n";

// One run of the program in a folder of its own, with `config`.
class Render {
public:
    explicit Render(const std::string& config, bool withData = true) : dir_("render") {
        if (withData) WriteFile(dir_ / "data.txt", Terrain());
        WriteFile(dir_ / "config.txt", config);
    }

    int Run(const std::vector<std::string>& args, const std::vector<std::string>& environment = {}) {
        std::vector<std::string> full = environment;
        full.push_back(SanitizerOptionsForGlProgram());
        process_ = std::make_unique<ChildProcess>(dir_.path(), PELORIN_RENDER, args, full);
        return process_->wait(120).value_or(-1);
    }

    std::string output() const { return process_->output(); }
    std::string errors() const { return process_->errors(); }
    std::string Path(const std::string& name) const { return dir_ / name; }
    PngPicture Read(const std::string& name) const { return ReadPng(dir_ / name); }

private:
    TempDir dir_;
    std::unique_ptr<ChildProcess> process_;
};

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// The same arguments, drawn in tiles of 150 samples a side.
std::vector<std::string> Tiled(std::vector<std::string> args) {
    args.insert(args.end(), {"--tile", "150"});
    return args;
}


// ---- The fall-back to the lists ----

TEST(RenderFallback, RefusedImpostorsWarnOnceAndDrawTheLists) {
    const std::string look = "[display]\nsphere-tesel = 12\n";
    Render lists(look);
    ASSERT_EQ(lists.Run({}), 0) << lists.errors();
    const Picture listed = lists.Read("pelorin.png").picture;
    const struct {
        const char* option;
        const char* reason;
    } cases[] = {
        {"--refuse-shaders", "fragment shader did not compile"},
        {"--refuse-gpu-buffer", "bytes for the spheres could not be filled; drawing with the display lists"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        Render refused(look + "renderer = impostors\n");
        ASSERT_EQ(refused.Run({c.option}), 0) << refused.errors();
        EXPECT_EQ(WarningLines(refused.errors()), 1) << refused.errors();
        EXPECT_NE(refused.errors().find(c.reason), std::string::npos) << refused.errors();
        EXPECT_EQ(DifferingPixels(listed, refused.Read("pelorin.png").picture), 0);
    }
}

// ---- Options ----

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* error;
};
void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class Usage : public testing::TestWithParam<UsageCase> {};

TEST_P(Usage, OneErrorLineAndStatusTwoBeforeAnythingIsRead) {
    const UsageCase& c = GetParam();
    Render render("");
    EXPECT_EQ(render.Run(c.args), 2);
    EXPECT_EQ(render.errors(), std::string("error: ") + c.error + "\n");
    EXPECT_EQ(render.output(), "");
    EXPECT_FALSE(Exists(render.Path("pelorin.png")));
}

const char* const rateError = "--fps needs a number of pictures a second from 0.01 to 1000";
const char* const probeError =
    "--probe needs X,Y, a pixel counted from the picture's top left, each from 0 (such as 400,300)";
const char* const sizeError = "--size needs WIDTHxHEIGHT, each from 1 to 16384 pixels (such as 1920x1080)";

INSTANTIATE_TEST_SUITE_P(
    Cases, Usage,
    testing::Values(UsageCase{"UnknownOption", {"--fast"}, "unknown option '--fast' (see pelorin-render --help)"},
                    UsageCase{"Operand", {"out.png"}, "unknown option 'out.png' (see pelorin-render --help)"},
                    UsageCase{"OutputWithoutName", {"-o"}, "-o needs a file name"},
                    UsageCase{"SizeWithoutHeight", {"--size", "800"}, sizeError},
                    UsageCase{"SizeZero", {"--size", "0x600"}, sizeError},
                    UsageCase{"SizeTooLarge", {"--size", "16385x10"}, sizeError},
                    UsageCase{"SizeNegative", {"--size", "-8x8"}, sizeError},
                    UsageCase{"SupersampleZero", {"--supersample", "0"}, "--supersample needs N from 1 to 16"},
                    UsageCase{"SupersampleText", {"--supersample", "2x"}, "--supersample needs N from 1 to 16"},
                    UsageCase{"TurntableMissing", {"--turntable"}, "--turntable needs a number of pictures from 1 to 100000"},
                    UsageCase{"VideoAlone", {"--video", "f.mp4"},
                              "--video needs --turntable N or --series: a film of one picture is no film"},
                    UsageCase{"SeriesAndTurntable", {"--series", "--turntable", "3"},
                              "--series and --turntable each draw a sequence of their own; choose one"},
                    UsageCase{"FramesBackwards", {"--frames", "5-2"},
                              "--frames needs FIRST-LAST, frames counted from 1 (such as 5-20, 5- or -20)"},
                    UsageCase{"RateWithoutFilm", {"--turntable", "2", "--fps", "5"},
                              "--fps needs --video: it is the film's rate"},
                    UsageCase{"RateZero", {"--turntable", "2", "--video", "f.mp4", "--fps", "0"}, rateError},
                    UsageCase{"RateText", {"--turntable", "2", "--video", "f.mp4", "--fps", "5x"}, rateError},
                    UsageCase{"ProbeOneNumber", {"--probe", "3"}, probeError},
                    UsageCase{"ProbeText", {"--probe", "a,b"}, probeError},
                    UsageCase{"ProbeNegative", {"--probe", "-1,4"}, probeError},
                    UsageCase{"ProbeOutside", {"--size", "100x50", "--probe", "10,50"},
                              "--probe 10,50 lies outside the 100x50 picture"}),
    [](const testing::TestParamInfo<UsageCase>& paramInfo) { return paramInfo.param.name; });

TEST(RenderOptions, HelpDescribesEveryOption) {
    Render render("");
    EXPECT_EQ(render.Run({"--help"}), 0);
    for (const char* option : {"-o FILE.png", "--size WxH", "--supersample N", "--transparent", "--turntable N",
                               "--video FILE.mp4", "--quiet", "--probe X,Y"}) {
        EXPECT_NE(render.output().find(option), std::string::npos) << option;
    }
}

// ---- Pictures ----

TEST(RenderPictures, SizeAndMessagesAsTheViewerGivesThem) {
    Render render("[display]\nsphere-tesel = 7\n");
    ASSERT_EQ(render.Run({"-o", "small.png", "--size", "321x123"}), 0) << render.errors();
    EXPECT_EQ(render.output(), "data prepared\nwrote small.png\n");
    EXPECT_EQ(render.errors(), "## original = 7\n");
    const PngPicture png = render.Read("small.png");
    EXPECT_EQ(png.picture.width, 321);
    EXPECT_EQ(png.picture.height, 123);
    EXPECT_TRUE(png.alpha.empty());
    EXPECT_GT(Shares(png.picture).red, 0.05);
}

// The background is transparent, and edges blend right: laid over white the
// picture is the opaque one, over black it has no white fringe.
TEST(RenderPictures, TransparentEdgesBlendOverAnyBackground) {
    Render render("[display]\nsphere-r = 0.6\n");
    ASSERT_EQ(render.Run({"-o", "opaque.png", "--supersample", "3"}), 0) << render.errors();
    ASSERT_EQ(render.Run({"-o", "clear.png", "--supersample", "3", "--transparent"}), 0) << render.errors();
    const PngPicture opaque = render.Read("opaque.png"), clear = render.Read("clear.png");
    ASSERT_EQ(clear.alpha.size(), 800u * 600u);
    EXPECT_EQ(clear.alpha.front(), 0);
    long partial = 0, white = 0;
    const Picture overBlack = OverBackground(clear, 0);
    for (std::size_t p = 0; p < clear.alpha.size(); ++p) {
        partial += clear.alpha[p] > 0 && clear.alpha[p] < 255;
        white += IsWhite(&overBlack.rgb[3 * p]);
    }
    EXPECT_GT(partial, 1000) << "no edge pixel is partly covered";
    EXPECT_EQ(white, 0);
    EXPECT_GE(ShareWithinLevels(OverBackground(clear, 255), opaque.picture, 2), 0.999);
}

// A picture drawn in many small tiles is the picture drawn at once.
TEST(RenderPictures, TilesJoinWithoutSeams) {
    for (const char* config : {"", fitted}) {
        SCOPED_TRACE(config);
        Render render(config);
        const std::vector<std::string> args = {"--size", "500x300", "--supersample", "2"};
        ASSERT_EQ(render.Run(args), 0) << render.errors();
        const PngPicture whole = render.Read("pelorin.png");
        ASSERT_EQ(render.Run(Tiled(args)), 0) << render.errors();
        const PngPicture tiled = render.Read("pelorin.png");
        EXPECT_GE(ShareWithinLevels(whole.picture, tiled.picture, 2), 0.999);
    }
}

TEST(RenderPictures, TurntableGoesAroundFromTheSinglePicture) {
    Render render(fitted);
    ASSERT_EQ(render.Run({"-o", "one.png"}), 0);
    ASSERT_EQ(render.Run({"-o", "turn.png", "--turntable", "4", "--video", "turn.mp4"}), 0) << render.errors();
    EXPECT_EQ(render.output(), "data prepared\nwrote 4 pictures, turn-0001.png to turn-0004.png\nwrote turn.mp4\n");
    EXPECT_NE(render.errors().find("pelorin-render: picture 4 of 4"), std::string::npos) << render.errors();
    const PngPicture first = render.Read("turn-0001.png");
    EXPECT_EQ(DifferingPixels(first.picture, render.Read("one.png").picture), 0);
    for (const char* other : {"turn-0002.png", "turn-0003.png", "turn-0004.png"}) {
        EXPECT_GT(DifferingPixels(first.picture, render.Read(other).picture), 1000) << other;
    }
    EXPECT_FALSE(Exists(render.Path("turn-0005.png")));
    ASSERT_EQ(render.Run({"-o", "turn.png", "--turntable", "2", "--quiet"}), 0);
    EXPECT_EQ(render.errors(), "");
}

// ---- The colour legend ----

const char* const legendConfig = "[display]\ncolour = height\nlegend = 1\n";

// Within 6 levels, channel by channel, of the map's colour at t.
bool NearMap(const unsigned char* p, double t) {
    const Colour c = ColourMapAt(t);
    for (int k = 0; k < 3; ++k) {
        if (std::abs(p[k] - static_cast<int>(std::lround(c[k] * 255))) > 6) return false;
    }
    return true;
}

// The legend's bar: the longest run down a column of the picture's right
// third in which every pixel is a colour of the map (lit spheres match it
// only here and there), and the near-black grey pixels there, its values,
// ticks and frame (shaded spheres keep their hue).
struct LegendFound {
    int x = 0, top = 0, length = 0;
    long ink = 0;
};

LegendFound FindLegend(const Picture& picture) {
    LegendFound found;
    for (int x = picture.width * 2 / 3; x < picture.width; ++x) {
        for (int y = 0, run = 0; y < picture.height; ++y) {
            const unsigned char* p = picture.pixel(x, y);
            bool onMap = false;
            for (int i = 0; i <= 128 && !onMap; ++i) onMap = NearMap(p, i / 128.0);
            run = onMap ? run + 1 : 0;
            if (run > found.length) found = {x, y - run + 1, run, found.ink};
            const auto [least, most] = std::minmax({p[0], p[1], p[2]});
            found.ink += most < 70 && most - least <= 10;
        }
    }
    return found;
}

// With the height colours and legend = 1, a bar from the map's low end at
// the bottom to its high end at the top, with dark values beside it;
// otherwise nothing of it, and the red picture is untouched.
TEST(Legend, DrawnOnlyOverTheHeightColoursWhenAsked) {
    Render render("");
    for (const char* config : {legendConfig, "[display]\ncolour = height\n", "[display]\nlegend = 1\n"}) {
        SCOPED_TRACE(config);
        WriteFile(render.Path("config.txt"), config);
        ASSERT_EQ(render.Run({}), 0) << render.errors();
        const Picture picture = render.Read("pelorin.png").picture;
        const LegendFound legend = FindLegend(picture);
        if (config == legendConfig) {
            ASSERT_GE(legend.length, 100);
            EXPECT_TRUE(NearMap(picture.pixel(legend.x, legend.top), 1));
            EXPECT_TRUE(NearMap(picture.pixel(legend.x, legend.top + legend.length - 1), 0));
            EXPECT_GT(legend.ink, 300);
        } else {
            EXPECT_LT(legend.length, 40);
            EXPECT_LT(legend.ink, 20);
        }
    }
    const Picture red = render.Read("pelorin.png").picture;
    WriteFile(render.Path("config.txt"), "");
    ASSERT_EQ(render.Run({}), 0) << render.errors();
    EXPECT_EQ(DifferingPixels(red, render.Read("pelorin.png").picture), 0);
}

// Laid out on the whole picture: drawn in small tiles it is the same, and
// the scene of every later tile is drawn as without it; its size follows
// the picture's height, not the samples.
TEST(Legend, SameInTilesAndInProportionToThePicture) {
    for (const std::string& config : {std::string(legendConfig), std::string(fitted) + "legend = 1\n"}) {
        SCOPED_TRACE(config);
        Render render(config);
        const std::vector<std::string> args = {"--size", "500x300", "--supersample", "2"};
        ASSERT_EQ(render.Run(args), 0) << render.errors();
        const Picture whole = render.Read("pelorin.png").picture;
        ASSERT_EQ(render.Run(Tiled(args)), 0) << render.errors();
        EXPECT_GE(ShareWithinLevels(whole, render.Read("pelorin.png").picture, 2), 0.999);
        EXPECT_GE(FindLegend(whole).length, 50);
    }
    Render render(legendConfig);
    std::vector<int> lengths;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--supersample", "3"}, {"--size", "1600x1200"}}) {
        ASSERT_EQ(render.Run(args), 0) << render.errors();
        lengths.push_back(FindLegend(render.Read("pelorin.png").picture).length);
    }
    EXPECT_GE(lengths[0], 100);
    EXPECT_NEAR(lengths[1], lengths[0], 2);
    EXPECT_NEAR(lengths[2], 2 * lengths[0], 2);
}

// ---- Levels of detail ----

// A closed terrain of rolling hills, 200 cells a side.
std::string Hills() {
    std::string text = "200\n";
    for (int row = 0; row < 200; ++row) {
        for (int column = 0; column < 200; ++column) {
            text += std::to_string(static_cast<int>(6 + 5 * std::sin(column / 9.0) * std::cos(row / 13.0))) + " ";
        }
        text += "\n";
    }
    return text;
}

const char* const hillsConfig = "[display]\nrenderer = impostors\ncull-hidden = 1\nfit-view = 1\n";

struct DetailPictures {
    PngPicture full, coarse;
};

// The view of `camera` drawn with every sphere and with the levels of detail.
DetailPictures BothWays(Render& render, const std::string& camera, const std::vector<std::string>& args) {
    DetailPictures pictures;
    WriteFile(render.Path("config.txt"), std::string(hillsConfig) + "level-of-detail = 0\n" + camera);
    EXPECT_EQ(render.Run(args), 0) << render.errors();
    pictures.full = render.Read("pelorin.png");
    WriteFile(render.Path("config.txt"), hillsConfig + camera);
    EXPECT_EQ(render.Run(args), 0) << render.errors();
    pictures.coarse = render.Read("pelorin.png");
    return pictures;
}

// Far off, where spheres are a pixel wide, the coarse blocks hold every
// sphere they stand for: from above, aslant, grazing and from below, no
// background shows where the full picture has spheres; lit alike, the two
// pictures still differ in a few hundred pixels of outline. Close by, the
// picture is the full one.
TEST(LevelsOfDetail, NoBackgroundShowsThroughAndNearViewsAreExact) {
    Render render("");
    WriteFile(render.Path("data.txt"), Hills());
    const struct {
        const char* camera;
        bool far;
    } views[] = {
        {"[camera]\nazimuth = 225\nelevation = 60\ndistance = 1300\ncenter = '100 100 5'\n", true},
        {"[camera]\nazimuth = 10\nelevation = 25\ndistance = 1100\ncenter = '100 100 5'\n", true},
        {"[camera]\nazimuth = 130\nelevation = 4\ndistance = 1000\ncenter = '100 100 5'\n", true},
        {"[camera]\nazimuth = 300\nelevation = -35\ndistance = 1200\ncenter = '100 100 5'\n", true},
        {"[camera]\nazimuth = 200\nelevation = 40\ndistance = 40\ncenter = '60 60 5'\n", false},
    };
    for (const auto& v : views) {
        SCOPED_TRACE(v.camera);
        const DetailPictures pictures = BothWays(render, v.camera, {"--transparent"});
        ASSERT_EQ(pictures.full.alpha.size(), pictures.coarse.alpha.size());
        long opened = 0, covered = 0;
        for (std::size_t p = 0; p < pictures.full.alpha.size(); ++p) {
            opened += pictures.full.alpha[p] > 0 && pictures.coarse.alpha[p] == 0;
            covered += pictures.full.alpha[p] > 0;
        }
        EXPECT_GT(covered, 3000);
        EXPECT_EQ(opened, 0);
        const long differing = DifferingPixels(pictures.full.picture, pictures.coarse.picture);
        if (v.far) {
            EXPECT_GT(differing, 100) << "the far view drew no coarser level";
        } else {
            EXPECT_EQ(differing, 0);
        }
    }
}

// A block of columns all of one height, 60 cells a side: mostly walls.
std::string Block() {
    std::string text = "60\n";
    for (int row = 0; row < 60; ++row) {
        for (int column = 0; column < 60; ++column) text += "40 ";
        text += "\n";
    }
    return text;
}

// Where spheres are a few pixels wide or less, the picture is close to the
// same view supersampled 8 x 8 at full detail, with and without the levels
// of detail, over the whole terrain and in every 32 x 32 block: no speckle,
// no moiré, no seam where one level meets the next.
TEST(LevelsOfDetail, SmallSpheresLookAsTheSupersampledPicture) {
    Render render("");
    const struct {
        const char* name;
        std::string data;
        const char* camera;
        const char* size;
        PictureError bound;
    } scenes[] = {
        // Shaded a ray a pixel, these spheres came out at 47 and 51 and the
        // others at 30 and 43, and 29 and 47.
        {"far hills", Hills(), "[camera]\nazimuth = 225\nelevation = 45\ndistance = 300\ncenter = '100 100 5'\n",
         "200x150", {16, 18}},
        {"hills two to four pixels a sphere", Hills(),
         "[camera]\nazimuth = 225\nelevation = 30\ndistance = 200\ncenter = '100 100 5'\n", "300x225", {25, 32}},
        // The walls seen whole, from the view their bounds were measured in.
        {"walls", Block(), "[camera]\ndistance = 145.49696604133479\ncenter = '29.5 29.5 20'\n", "200x150", {22, 32}},
    };
    for (const auto& scene : scenes) {
        SCOPED_TRACE(scene.name);
        WriteFile(render.Path("data.txt"), scene.data);
        const DetailPictures pictures = BothWays(render, scene.camera, {"--size", scene.size});
        WriteFile(render.Path("config.txt"), std::string(hillsConfig) + "level-of-detail = 0\n" + scene.camera);
        ASSERT_EQ(render.Run({"--size", scene.size, "--supersample", "8", "-o", "reference.png"}), 0) << render.errors();
        const Picture reference = render.Read("reference.png").picture;
        for (const PngPicture* picture : {&pictures.full, &pictures.coarse}) {
            const PictureError error = ErrorAgainst(picture->picture, reference);
            const char* way = picture == &pictures.full ? "full detail" : "levels of detail";
            EXPECT_LE(error.mean, scene.bound.mean) << way;
            EXPECT_LE(error.worstBlock, scene.bound.worstBlock) << way;
        }
    }
}

// ---- Series ----

// Every frame of the series with the first frame's camera and colours: a
// frame that only adds a tall column far off changes no other pixel, an
// unreadable frame is skipped with one warning, and --frames picks a range.
TEST(RenderSeries, EveryFrameWithTheFirstFramesCameraAndColours) {
    Render render("[data]\nseries = f-%d.txt\n[display]\nrenderer = impostors\ncolour = height\n", false);
    std::string tall = Terrain();
    tall.replace(tall.rfind("1 "), 2, "60 ");
    WriteFile(render.Path("f-1.txt"), Terrain());
    WriteFile(render.Path("f-3.txt"), tall);
    ASSERT_EQ(mkdir(render.Path("f-2.txt").c_str(), 0700), 0);
    ASSERT_EQ(render.Run({"-o", "s.png", "--series"}), 0) << render.errors();
    EXPECT_EQ(render.output(), "data prepared\nwrote 2 pictures, s-0001.png to s-0002.png\n");
    EXPECT_NE(render.errors().find("warning: frame 'f-2.txt' cannot be read; skipped\n"), std::string::npos)
        << render.errors();
    const Picture first = render.Read("s-0001.png").picture, third = render.Read("s-0002.png").picture;
    const long differing = DifferingPixels(first, third);
    EXPECT_GT(differing, 0);
    EXPECT_LT(differing, 2000);
    ASSERT_EQ(render.Run({"-o", "r.png", "--frames", "3-"}), 0) << render.errors();
    EXPECT_EQ(DifferingPixels(render.Read("r-0001.png").picture, third), 0);
}

// Frames as a model writes them, ESRI ASCII grids: one that cannot be read
// is skipped with the warning the viewer gives, and a run that draws no
// picture at all fails with an error.
TEST(RenderSeries, AscFramesSkipTheUnreadableAndFailWithNoneDrawn) {
    const std::string config = "[data]\nseries = f-%d.asc\n[display]\nrenderer = impostors\n";
    const std::string good = AscText({{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
    const std::string bad = "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize abc\n";
    Render one(config, false);
    WriteFile(one.Path("f-1.asc"), good);
    WriteFile(one.Path("f-2.asc"), bad);
    WriteFile(one.Path("f-3.asc"), good);
    ASSERT_EQ(one.Run({"-o", "s.png", "--series", "--quiet"}), 0) << one.errors();
    EXPECT_EQ(one.output(), "data prepared\nwrote 2 pictures, s-0001.png to s-0002.png\n");
    EXPECT_EQ(one.errors(), "warning: frame 'f-2.asc': header line 5: 'cellsize' is not a number; skipped\n");
    EXPECT_EQ(DifferingPixels(one.Read("s-0001.png").picture, one.Read("s-0002.png").picture), 0);

    EXPECT_EQ(one.Run({"-o", "r.png", "--frames", "2-2"}), 1);
    EXPECT_NE(one.errors().find("error: frame 2 of the series cannot be read; no picture written\n"),
              std::string::npos)
        << one.errors();
    EXPECT_FALSE(Exists(one.Path("r-0001.png")));

    Render none(config, false);
    WriteFile(none.Path("f-1.asc"), bad);
    WriteFile(none.Path("f-2.asc"), good.substr(0, good.size() - 3));
    EXPECT_EQ(none.Run({"-o", "s.png", "--series"}), 1);
    EXPECT_EQ(none.errors(),
              "warning: frame 'f-1.asc': header line 5: 'cellsize' is not a number; skipped\n"
              "warning: frame 'f-2.asc': ends after 8 of its 3 x 3 values, before row 3, column 3; skipped\n"
              "error: data/series 'f-%d.asc': none of its 2 frames can be read\n"
              "error: file not found (SurfData constructor)\n");
    EXPECT_FALSE(Exists(none.Path("s-0001.png")));
}

// The film's length is its pictures over its rate: --fps, else the series'
// data/frames-per-second, else 30 for a turntable. A series makes the folder
// its pictures go to, and one picture is counted as one.
TEST(RenderFilms, RateFolderAndCount) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* output;
        double seconds;
    } cases[] = {
        {"turntable at 30", {"-o", "t.png", "--turntable", "3", "--video", "t.mp4"},
         "wrote 3 pictures, t-0001.png to t-0003.png\nwrote t.mp4\n", 0.1},
        {"turntable at --fps", {"-o", "t.png", "--turntable", "3", "--fps", "1.5", "--video", "t.mp4"},
         "wrote 3 pictures, t-0001.png to t-0003.png\nwrote t.mp4\n", 2.0},
        {"series at its frames a second", {"-o", "new/deep/s.png", "--series", "--video", "t.mp4"},
         "wrote 2 pictures, new/deep/s-0001.png to new/deep/s-0002.png\nwrote t.mp4\n", 0.5},
        {"series at --fps", {"-o", "s.png", "--series", "--fps", "8", "--video", "t.mp4"},
         "wrote 2 pictures, s-0001.png to s-0002.png\nwrote t.mp4\n", 0.25},
        {"one frame", {"-o", "one/s.png", "--frames", "2"}, "wrote 1 picture, one/s-0001.png\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Render render("[data]\nseries = f-%d.txt\nframes-per-second = 4\n", false);
        WriteFile(render.Path("f-1.txt"), Terrain());
        WriteFile(render.Path("f-2.txt"), Terrain());
        ASSERT_EQ(render.Run(c.args), 0) << render.errors();
        EXPECT_EQ(render.output(), std::string("data prepared\n") + c.output);
        if (c.seconds == 0) continue;
        ChildProcess probe(render.Path("."), "/usr/bin/ffprobe",
                           {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", "t.mp4"});
        ASSERT_EQ(probe.wait(60), 0);
        EXPECT_NEAR(std::atof(probe.output().c_str()), c.seconds, 0.01);
    }
}

// The mean difference a channel over the box from (x, y), `width` x `height`.
double BoxDifference(const Picture& a, const Picture& b, int x0, int y0, int width, int height) {
    if (a.width != b.width || a.height != b.height || a.width < x0 + width || a.height < y0 + height) return -1;
    double sum = 0;
    for (int y = y0; y < y0 + height; ++y) {
        for (int x = x0; x < x0 + width; ++x) {
            for (int c = 0; c < 3; ++c) sum += std::abs(a.pixel(x, y)[c] - b.pixel(x, y)[c]);
        }
    }
    return sum / (3.0 * width * height);
}

// The caption says each frame's own words on its picture and in the film;
// the terrain below it is the same.
TEST(RenderFilms, CaptionOfEachFrame) {
    Render render("[data]\nseries = f-%d.txt\n[display]\ncaption = 'frame ${frame} of ${frames}, t = ${* ${number} 5} s'\n",
                  false);
    for (const char* frame : {"f-1.txt", "f-2.txt", "f-3.txt"}) WriteFile(render.Path(frame), Terrain());
    ASSERT_EQ(render.Run({"-o", "s.png", "--series", "--fps", "3", "--video", "t.mp4"}), 0) << render.errors();
    EXPECT_EQ(WarningLines(render.errors()), 0) << render.errors();
    const Picture first = render.Read("s-0001.png").picture, last = render.Read("s-0003.png").picture;
    ASSERT_EQ(first.width, 800);
    // The caption's panel sits in the top left 60 lines.
    EXPECT_GT(BoxDifference(first, last, 0, 0, 400, 60), 1);
    EXPECT_EQ(BoxDifference(first, last, 0, 60, 800, 540), 0);
    ChildProcess decode(render.Path("."), "/usr/bin/ffmpeg", {"-v", "error", "-i", "t.mp4", "d-%d.png"});
    ASSERT_EQ(decode.wait(60), 0) << decode.errors();
    const Picture filmFirst = render.Read("d-1.png").picture, filmLast = render.Read("d-3.png").picture;
    EXPECT_FALSE(Exists(render.Path("d-4.png")));
    EXPECT_LT(BoxDifference(filmFirst, first, 0, 0, 400, 60), 4);
    EXPECT_LT(BoxDifference(filmLast, last, 0, 0, 400, 60), 4);
    EXPECT_GT(BoxDifference(filmFirst, filmLast, 0, 0, 400, 60), 1);
}

// A series drawn with colours and view that grow: its tall last frame keeps
// its colours apart and stays in the picture; with the first frame's
// colours and view it would run into the top colour and out of the top.
TEST(RenderSeries, ColoursAndViewGrowWithTheFrames) {
    const struct {
        const char* keys;
        bool grown;
    } cases[] = {{"colour-range = grow\nfit-view = grow\n", true}, {"fit-view = 1\n", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        Render render(std::string("[data]\nseries = f-%d.txt\n[display]\ncolour = height\n") + c.keys, false);
        WriteFile(render.Path("f-1.txt"), RampText(12, 1));
        WriteFile(render.Path("f-2.txt"), RampText(12, 12));
        ASSERT_EQ(render.Run({"-o", "s.png", "--series"}), 0) << render.errors();
        const Picture last = render.Read("s-0002.png").picture;
        ASSERT_EQ(last.width, 800);
        bool topRowClear = true;
        for (int x = 0; x < last.width; ++x) topRowClear = topRowClear && IsWhite(last.pixel(x, 0));
        EXPECT_EQ(topRowClear, c.grown);
        EXPECT_EQ(TopColourShare(last) < 0.3, c.grown) << TopColourShare(last);
    }
}

// ---- Depth cues ----

// A plateau 8 high, 40 cells a side, with a 3x3 pit down to the ground in
// its middle.
std::string Pit() {
    std::string text = "40\n";
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < 40; ++column) {
            text += std::abs(row - 20) <= 1 && std::abs(column - 20) <= 1 ? "0 " : "8 ";
        }
        text += "\n";
    }
    return text;
}

int Brightness(const Picture& picture, int x, int y) {
    const unsigned char* p = picture.pixel(x, y);
    return p[0] + p[1] + p[2];
}

// Seen from straight above, the pit's floor darkens with ambient occlusion
// and the plateau far from it keeps its light.
TEST(DepthCues, OcclusionDarkensThePitAndLeavesThePlateau) {
    Render render("", false);
    WriteFile(render.Path("data.txt"), Pit());
    const std::string view = "[camera]\nelevation = 90\ndistance = 40\ncenter = '20 20 8'\n";
    Picture pictures[2];
    for (int occlusion = 0; occlusion < 2; ++occlusion) {
        WriteFile(render.Path("config.txt"), "[display]\nrenderer = impostors\nambient-occlusion = " +
                                                 std::to_string(occlusion) + "\n" + view);
        ASSERT_EQ(render.Run({}), 0) << render.errors();
        pictures[occlusion] = render.Read("pelorin.png").picture;
    }
    const int floor = Brightness(pictures[0], 400, 300), floorOccluded = Brightness(pictures[1], 400, 300);
    EXPECT_LE(floorOccluded, 0.65 * floor) << floor << " against " << floorOccluded;
    const int plateau = Brightness(pictures[0], 120, 480), plateauOccluded = Brightness(pictures[1], 120, 480);
    EXPECT_NEAR(plateauOccluded, plateau, 0.05 * plateau);
}

// Each cue draws something of its own, only when asked: outlines darken
// edges (and with the lists give one warning instead), the axes put their
// three colours in the picture (in the bottom left corner without the
// fitted view) and, with the ground size of a cell, a scale bar (in the
// middle of the bottom edge without it); every key at 0 draws today's
// picture.
TEST(DepthCues, EachKeyDrawsItsOwnAndNothingUnasked) {
    const std::string plain = "[display]\nrenderer = impostors\nfit-view = 1\n";
    Render render(plain);
    ASSERT_EQ(render.Run({}), 0);
    const Picture today = render.Read("pelorin.png").picture;
    auto picture = [&](const std::string& keys, std::string* errors = nullptr) {
        WriteFile(render.Path("config.txt"), keys);
        EXPECT_EQ(render.Run({}), 0) << render.errors();
        if (errors) *errors = render.errors();
        return render.Read("pelorin.png").picture;
    };
    auto count = [](const Picture& p, int x0, int y0, int x1, int y1, bool (*is)(const unsigned char*)) {
        long n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) n += is(p.pixel(x, y));
        }
        return n;
    };
    auto dark = [](const unsigned char* p) { return p[0] < 40 && p[1] < 40 && p[2] < 40; };
    auto blue = [](const unsigned char* p) { return p[2] > 150 && p[0] < 100; };
    auto green = [](const unsigned char* p) { return p[1] > 120 && p[0] < 80 && p[2] < 80; };

    EXPECT_EQ(DifferingPixels(picture(plain + "ambient-occlusion = 0\noutlines = 0\naxes = 0\nlegend = 0\n"), today), 0);
    EXPECT_GT(count(picture(plain + "outlines = 1\n"), 0, 0, 800, 600, dark), count(today, 0, 0, 800, 600, dark) + 500);
    std::string errors;
    EXPECT_EQ(DifferingPixels(picture("[display]\nfit-view = 1\noutlines = 1\n", &errors),
                              picture("[display]\nfit-view = 1\n")), 0);
    EXPECT_EQ(errors, "warning: display/outlines: drawn only with display/renderer = impostors\n");

    // The fitted view places the tripod and the bar where they leave the
    // terrain the most room, so they are looked for in the whole picture:
    // the red spheres have neither the tripod's blue and green nor the
    // bar's near-black.
    const Picture axes = picture(plain + "axes = 1\n");
    EXPECT_GT(count(axes, 0, 0, 800, 600, blue), 20);
    EXPECT_GT(count(axes, 0, 0, 800, 600, green), 20);
    EXPECT_EQ(count(today, 0, 0, 800, 600, blue), 0);
    EXPECT_EQ(count(today, 0, 0, 800, 600, green), 0);
    const Picture scaled = picture(plain + "axes = 1\n[data]\ncell-metres = 30\n");
    EXPECT_GT(count(scaled, 0, 0, 800, 600, dark), count(axes, 0, 0, 800, 600, dark) + 100);
    // Without the fitted view they keep their corners; rows from the top.
    const Picture fixed = picture("[display]\nrenderer = impostors\naxes = 1\n[data]\ncell-metres = 30\n");
    EXPECT_GT(count(fixed, 0, 480, 150, 600, blue), 20);
    EXPECT_GT(count(fixed, 0, 480, 150, 600, green), 20);
    EXPECT_GT(count(fixed, 250, 540, 550, 600, dark), 100);
}

// ---- Failures ----

TEST(RenderFailures, MissingDataOrNoContextEndWithStatusOneAndNoPicture) {
    Render missing("", false);
    EXPECT_EQ(missing.Run({}), 1);
    EXPECT_EQ(missing.errors(), "error: file not found (SurfData constructor)\n");
    EXPECT_FALSE(Exists(missing.Path("pelorin.png")));

    Render noDriver("");
    EXPECT_EQ(noDriver.Run({}, {"__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json"}), 1);
    EXPECT_EQ(noDriver.errors().rfind("error: no OpenGL context could be made without a display: ", 0), 0u)
        << noDriver.errors();
    EXPECT_EQ(noDriver.errors().find('\n'), noDriver.errors().size() - 1);
    EXPECT_FALSE(Exists(noDriver.Path("pelorin.png")));
}

}  // namespace

int main(int argc, char** argv) {
    // Every picture is made with no display server to lean on.
    unsetenv("DISPLAY");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
