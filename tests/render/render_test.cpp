// pelorin-render run as a user runs it, with no display server: its options
// and their errors, the pictures it writes, and how it fails.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "png_read.h"
#include "ridge_terrain.h"

namespace {

std::string Terrain() { return RidgeTerrain(); }

const char* const kFitted = "[display]\nfit-view = 1\ncolour = height\nrenderer = impostors\n";

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

const char* const kSizeError = "--size needs WIDTHxHEIGHT, each from 1 to 16384 pixels (such as 1920x1080)";

INSTANTIATE_TEST_SUITE_P(
    Cases, Usage,
    testing::Values(UsageCase{"UnknownOption", {"--fast"}, "unknown option '--fast' (see pelorin-render --help)"},
                    UsageCase{"Operand", {"out.png"}, "unknown option 'out.png' (see pelorin-render --help)"},
                    UsageCase{"OutputWithoutName", {"-o"}, "-o needs a file name"},
                    UsageCase{"SizeWithoutHeight", {"--size", "800"}, kSizeError},
                    UsageCase{"SizeZero", {"--size", "0x600"}, kSizeError},
                    UsageCase{"SizeTooLarge", {"--size", "16385x10"}, kSizeError},
                    UsageCase{"SizeNegative", {"--size", "-8x8"}, kSizeError},
                    UsageCase{"SupersampleZero", {"--supersample", "0"}, "--supersample needs N from 1 to 16"},
                    UsageCase{"SupersampleText", {"--supersample", "2x"}, "--supersample needs N from 1 to 16"},
                    UsageCase{"TurntableMissing", {"--turntable"}, "--turntable needs a number of pictures from 1 to 100000"},
                    UsageCase{"VideoAlone", {"--video", "f.mp4"}, "--video needs --turntable N: a film of one picture is no film"}),
    [](const testing::TestParamInfo<UsageCase>& param_info) { return param_info.param.name; });

TEST(RenderOptions, HelpDescribesEveryOption) {
    Render render("");
    EXPECT_EQ(render.Run({"--help"}), 0);
    for (const char* option : {"-o FILE.png", "--size WxH", "--supersample N", "--transparent", "--turntable N",
                               "--video FILE.mp4", "--quiet"}) {
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
    for (const char* config : {"", kFitted}) {
        SCOPED_TRACE(config);
        Render render(config);
        const std::vector<std::string> args = {"--size", "500x300", "--supersample", "2"};
        ASSERT_EQ(render.Run(args), 0) << render.errors();
        const PngPicture whole = render.Read("pelorin.png");
        ASSERT_EQ(render.Run(args, {"PELORIN_RENDER_TILE=150"}), 0) << render.errors();
        const PngPicture tiled = render.Read("pelorin.png");
        EXPECT_GE(ShareWithinLevels(whole.picture, tiled.picture, 2), 0.999);
    }
}

TEST(RenderPictures, TurntableGoesAroundFromTheSinglePicture) {
    Render render(kFitted);
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
