// The real program asked for impostors on a context that refuses them: one
// warning line naming the reason, and the very picture of the display lists.
// (The refusals pelorin-render can force are tested there, on the same core.)
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "picture.h"
#include "x_driver.h"
#include "xvfb_server.h"

namespace {

const char* const terrain = "4\n1 0 2 1 \n0 3 1 0 \n2 1 0 1 \n1 0 1 2 \n";
const char* const look = "[display]\nsphere-tesel = 12\n";

struct ProgramRun {
    Picture picture;
    std::string errors;
};

// Starts the program with `config` and `environment`, takes the first frame
// that shows spheres, and quits.
ProgramRun ShowAndQuit(const std::string& config, const std::vector<std::string>& environment) {
    TempDir dir("fallback");
    WriteFile(dir / "data.txt", terrain);
    WriteFile(dir / "config.txt", config);
    std::vector<std::string> fullEnvironment = environment;
    fullEnvironment.push_back(SanitizerOptionsForGlProgram());
    ChildProcess program(dir.path(), PELORIN_PROGRAM, {}, fullEnvironment);
    ProgramRun run;
    const std::string window = WaitForWindow("Pelorin", 20);
    for (int tries = 0; !window.empty() && tries < 100; ++tries, usleep(100 * 1000)) {
        run.picture = Screenshot(window);
        if (run.picture.width > 0 && Shares(run.picture).red > 0.01) break;
    }
    if (!window.empty()) TypeKeys(window, "q");
    EXPECT_EQ(program.wait(15), 0);
    run.errors = program.errors();
    return run;
}


TEST(RendererFallback, RefusedShadersWarnOnceAndDrawTheLists) {
    XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    setenv("DISPLAY", server.display().c_str(), 1);
    alarm(150);
    const ProgramRun lists = ShowAndQuit(look, {});
    ASSERT_GT(Shares(lists.picture).red, 0.01);
    const struct {
        const char* name;
        const char* environment;
        const char* reason;
    } cases[] = {
        {"context too old", "MESA_GL_VERSION_OVERRIDE=2.1", "OpenGL 2.1 is below the 3.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun refused = ShowAndQuit(std::string(look) + "renderer = impostors\n", {c.environment});
        EXPECT_EQ(WarningLines(refused.errors), 1) << refused.errors;
        EXPECT_NE(refused.errors.find(c.reason), std::string::npos) << refused.errors;
        EXPECT_EQ(DifferingPixels(lists.picture, refused.picture), 0);
    }
    // Accepted, the impostors draw a picture of their own.
    const ProgramRun impostors = ShowAndQuit(std::string(look) + "renderer = impostors\n", {});
    EXPECT_EQ(WarningLines(impostors.errors), 0) << impostors.errors;
    EXPECT_GT(DifferingPixels(lists.picture, impostors.picture), 0);
}

}  // namespace
