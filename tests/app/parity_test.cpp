// The same scene two ways: the picture pelorin-render draws with no display
// server, and the first frame the viewer shows in its window on a private X
// server. The impostors draw the same pixels; the display lists differ only
// where the sphere mesh and the toolkit's sphere round differently.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

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

Picture WindowPicture(const TempDir& dir) {
    ChildProcess viewer(dir.path(), PELORIN_PROGRAM, {}, {SanitizerOptionsForGlProgram()});
    const std::string window = WaitForWindow("Pelorin", 20);
    const Picture picture = window.empty() ? Picture() : SteadyFrame(window);
    if (!window.empty()) TypeKeys(window, "q");
    EXPECT_EQ(viewer.wait(15), 0) << viewer.errors();
    return picture;
}

PngPicture RenderedPicture(const TempDir& dir) {
    ChildProcess render(dir.path(), PELORIN_RENDER, {"-o", "rendered.png"},
                        {"DISPLAY=", SanitizerOptionsForGlProgram()});
    EXPECT_EQ(render.wait(60), 0) << render.errors();
    return ReadPng(dir / "rendered.png");
}

TEST(SamePicture, RenderedAndShownInTheWindowAgree) {
    XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    setenv("DISPLAY", server.display().c_str(), 1);
    alarm(170);
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

}  // namespace
