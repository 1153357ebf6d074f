// The same scene two ways: the picture pelorin-render draws with no display
// server, and the first frame the viewer shows in its window on a private X
// server. The impostors draw the same pixels; the display lists differ only
// where the sphere mesh and the toolkit's sphere round differently.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "child_process.h"
#include "picture.h"
#include "png_read.h"
#include "x_driver.h"
#include "xvfb_server.h"

namespace {

// The window's first whole frame: not the black of a window never drawn,
// and the same in two screenshots one after the other.
Picture SteadyFrame(const std::string& window) {
    Picture previous;
    for (int tries = 0; tries < 100; ++tries, usleep(100 * 1000)) {
        const Picture now = Screenshot(window);
        if (now.width > 0 && Shares(now).white > 0.05 && DifferingPixels(previous, now) == 0) return now;
        previous = now;
    }
    return {};
}

// The viewer's first frame; its standard error in `errors`.
Picture WindowPicture(const TempDir& dir, std::string* errors = nullptr) {
    ChildProcess viewer(dir.path(), PELORIN_PROGRAM, {}, {SanitizerOptionsForGlProgram()});
    const std::string window = WaitForWindow("Pelorin", 20);
    const Picture picture = window.empty() ? Picture() : SteadyFrame(window);
    if (!window.empty()) TypeKeys(window, "q");
    EXPECT_EQ(viewer.wait(15), 0) << viewer.errors();
    if (errors) *errors = viewer.errors();
    return picture;
}

PngPicture RenderedPicture(const TempDir& dir, const std::vector<std::string>& args = {}) {
    std::vector<std::string> all = {"-o", "rendered.png"};
    all.insert(all.end(), args.begin(), args.end());
    ChildProcess render(dir.path(), PELORIN_RENDER, all, {"DISPLAY=", SanitizerOptionsForGlProgram()});
    EXPECT_EQ(render.wait(60), 0) << render.errors();
    return ReadPng(dir / "rendered.png");
}

// A private X server for the whole test, bounded in time.
class PrivateServer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.ok()) << server_.error();
        setenv("DISPLAY", server_.display().c_str(), 1);
        alarm(170);
    }
    XvfbServer server_;
};

using SamePicture = PrivateServer;
using Antialias = PrivateServer;

TEST_F(SamePicture, RenderedAndShownInTheWindowAgree) {
    const struct {
        const char* name;
        const char* config;
        int levels;
        double share;
    } cases[] = {
        {"display lists", "[display]\nsphere-r = 0.6\nsphere-tesel = 10\n", 8, 0.99},
        {"impostors", "[display]\nsphere-r = 0.6\nrenderer = impostors\nfit-view = 1\ncolour = height\n", 2, 0.995},
        {"impostors from a written camera",
         "[display]\nrenderer = impostors\ncull-hidden = 1\n[camera]\nazimuth = 30\nelevation = 50\n"
         "distance = 25\ncenter = '12 8 2'\n",
         2, 0.995},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir("parity");
        WriteFile(dir / "data.txt", ReadFile(PELORIN_EXAMPLE_DATA));
        WriteFile(dir / "config.txt", c.config);
        const PngPicture rendered = RenderedPicture(dir);
        const Picture shown = WindowPicture(dir);
        ASSERT_EQ(shown.width, 800);
        EXPECT_GT(1 - Shares(shown).white, 0.2) << "too little of the scene shows to compare";
        EXPECT_GE(ShareWithinLevels(rendered.picture, shown, c.levels), c.share);
    }
}

// With display/antialias the window's edges come closer to the same view
// supersampled, in both renderers; more samples than the display offers
// give one warning line and the most it does offer.
TEST_F(Antialias, MultisampledWindowIsCloserToTheSupersampledPicture) {
    for (const char* look : {"sphere-tesel = 12\n", "renderer = impostors\n"}) {
        SCOPED_TRACE(look);
        TempDir dir("antialias");
        WriteFile(dir / "data.txt", ReadFile(PELORIN_EXAMPLE_DATA));
        const std::string config = std::string("[display]\nsphere-r = 0.6\n") + look;
        WriteFile(dir / "config.txt", config);
        const Picture reference = RenderedPicture(dir, {"--supersample", "4"}).picture;
        const double plain = MeanDifference(WindowPicture(dir), reference);
        WriteFile(dir / "config.txt", config + "antialias = 64\n");
        std::string errors;
        const double multisampled = MeanDifference(WindowPicture(dir, &errors), reference);
        EXPECT_GT(plain, 0.3);
        EXPECT_LT(multisampled, 0.7 * plain);
        EXPECT_NE(errors.find("warning: display/antialias = 64: the display offers at most "), std::string::npos)
            << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1 + (look[0] == 's')) << errors;
    }
}

}  // namespace
