// The real pelorin program on a private Xvfb server, driven from outside:
// start-up and its data file, the window, the picture, the mouse and keys,
// and the ways it ends.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "picture.h"
#include "ridge_terrain.h"
#include "x_driver.h"
#include "xvfb_server.h"

namespace {

constexpr double windowTimeout = 20;
constexpr double exitTimeout = 15;
// For a state a key brings about; generous, as a loaded machine can hold the
// program back for seconds, and only a failing run waits it out.
constexpr double stateTimeout = 20;
const char* const fileNotFound = "error: file not found (SurfData constructor)\n";

std::string Terrain() { return RidgeTerrain(); }

class PrivateDisplay : public testing::Environment {
public:
    void SetUp() override {
        alarm(150);  // a hung step fails the run instead of blocking it
        server_ = std::make_unique<XvfbServer>();
        ASSERT_TRUE(server_->ok()) << server_->error();
        setenv("DISPLAY", server_->display().c_str(), 1);
    }
    void TearDown() override { server_.reset(); }

private:
    std::unique_ptr<XvfbServer> server_;
};

// One run of the program in a directory of its own.
class Pelorin {
public:
    // `files` alternate name and content.
    explicit Pelorin(const std::vector<std::string>& files) : dir_("app") {
        for (size_t i = 0; i + 1 < files.size(); i += 2) WriteFile(dir_ / files[i], files[i + 1]);
    }

    void Start(const std::vector<std::string>& args = {}) {
        process_ = std::make_unique<ChildProcess>(
            dir_.path(), PELORIN_PROGRAM, args,
            std::vector<std::string>{"LD_PRELOAD=" PELORIN_OPEN_FILES_PROBE,
                                     "PELORIN_OPEN_FILES_REPORT=" + (dir_ / "open-at-exit.txt"),
                                     SanitizerOptionsForGlProgram()});
    }

    // Waits for the window titled `title` (a pattern); a failure leaves
    // window() empty.
    void WaitForWindow(const std::string& title = "Pelorin") {
        window_ = ::WaitForWindow(title, windowTimeout);
        ASSERT_FALSE(window_.empty()) << "no window; stderr:\n" << process_->errors();
    }

    // Waits for the first frame: the picture has some red in it.
    Picture FirstFrame() {
        Picture picture;
        for (int tries = 0; tries < 100; ++tries) {
            picture = Screenshot(window_);
            if (picture.width > 0 && Shares(picture).red > 0.01) break;
            usleep(100 * 1000);
        }
        return picture;
    }

    const std::string& window() const { return window_; }
    ChildProcess& process() { return *process_; }
    std::string Path(const std::string& name) const { return dir_ / name; }
    std::string OpenAtExit() const { return ReadFile(dir_ / "open-at-exit.txt"); }

    // Files the running program has open, by where they point.
    std::string OpenFilesNow() const {
        return RunCommand("ls -l /proc/" + std::to_string(process_->pid()) + "/fd");
    }

    void Quit() {
        TypeKeys(window_, "q");
        EXPECT_EQ(process_->wait(exitTimeout), 0);
    }

private:
    TempDir dir_;
    std::unique_ptr<ChildProcess> process_;
    std::string window_;
};

int CountLinesStartingWith(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) count += line.rfind(prefix, 0) == 0;
    return count;
}

// ---- Start-up and the data file ----

struct DataFileCase {
    const char* name;
    std::vector<std::string> files;
    std::vector<std::string> args;
    bool starts;  // else: status 1 before any window
};
void PrintTo(const DataFileCase& c, std::ostream* out) { *out << c.name; }

class DataFileChoice : public testing::TestWithParam<DataFileCase> {};

TEST_P(DataFileChoice, LoadsBeforeTheWindowOrEndsWithStatusOne) {
    const DataFileCase& c = GetParam();
    Pelorin pelorin(c.files);
    WindowCreationWatcher watcher;
    pelorin.Start(c.args);
    const bool windowCreated = watcher.WaitForCreation(c.starts ? windowTimeout : 0);
    if (c.starts) {
        ASSERT_TRUE(windowCreated);
        // Written and flushed before the window was asked for.
        EXPECT_EQ(pelorin.process().output(), "data prepared\n");
        pelorin.WaitForWindow();
        pelorin.Quit();
    } else {
        EXPECT_EQ(pelorin.process().wait(exitTimeout), 1);
        EXPECT_FALSE(watcher.WaitForCreation(0.5));
        EXPECT_EQ(pelorin.process().output(), "");
        EXPECT_NE(pelorin.process().errors().find(fileNotFound), std::string::npos) << pelorin.process().errors();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFileChoice,
    testing::Values(
        DataFileCase{"DefaultName", {"data.txt", Terrain()}, {}, true},
        DataFileCase{"NamedInConfig", {"config.txt", "[data]\nfile = terrain.txt\n", "terrain.txt", Terrain()}, {},
                     true},
        DataFileCase{"NamedInConfigButMissing",
                     {"config.txt", "[data]\nfile = missing.txt\n", "data.txt", Terrain()}, {}, false},
        DataFileCase{"NoDataFile", {"config.txt", "[display]\nsphere-r = 0.5\n"}, {}, false},
        DataFileCase{"CommandLineCannotRedirect", {"data.txt", Terrain()}, {"data/file=missing.txt"}, true},
        DataFileCase{"CommandLineCannotRescue", {"present.txt", Terrain()}, {"data/file=present.txt"}, false}),
    [](const testing::TestParamInfo<DataFileCase>& paramInfo) { return paramInfo.param.name; });

// ---- Window and picture ----

TEST(Window, TitledPelorin800By600At50ShowingRedSpheresOnWhite) {
    Pelorin pelorin({"data.txt", Terrain()});
    pelorin.Start();
    pelorin.WaitForWindow();
    EXPECT_EQ(TitleOf(pelorin.window()), "Pelorin");
    EXPECT_EQ(GeometryOf(pelorin.window()), (WindowGeometry{50, 50, 800, 600}));

    const Picture picture = pelorin.FirstFrame();
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);
    const ColourShare share = Shares(picture);
    EXPECT_GT(share.red, 0.10);
    EXPECT_GT(share.white, 0.10);
    EXPECT_GT(share.red + share.white, 0.70);
    for (auto corner : {picture.pixel(0, 0), picture.pixel(799, 0), picture.pixel(0, 599), picture.pixel(799, 599)}) {
        EXPECT_TRUE(IsWhite(corner) || IsRed(corner));
    }
    pelorin.Quit();
}

// Processor time the program has used so far, in clock ticks.
long CpuTicks(pid_t pid) {
    std::istringstream stat(ReadFile("/proc/" + std::to_string(pid) + "/stat"));
    std::string field;
    long user = 0, system = 0;
    // The name in field 2 holds no blanks here; fields 14 and 15 are the times.
    for (int i = 1; i <= 15 && stat >> field; ++i) {
        if (i == 14) user = std::stol(field);
        if (i == 15) system = std::stol(field);
    }
    return user + system;
}

TEST(Window, AnUntouchedViewerLeavesTheProcessorAlone) {
    Pelorin pelorin({"data.txt", Terrain()});
    pelorin.Start();
    pelorin.WaitForWindow();
    pelorin.FirstFrame();
    const long before = CpuTicks(pelorin.process().pid());
    sleep(3);
    const long used = CpuTicks(pelorin.process().pid()) - before;
    // A loop that spins takes every tick of the 3 s; waiting takes almost
    // none. The bound (10 %) leaves room for a slow or busy machine.
    EXPECT_LT(used, 3 * sysconf(_SC_CLK_TCK) / 10);
    pelorin.Quit();
}

struct InputCase {
    const char* name;
    const char* xdotool;  // %W stands for the window id
    bool changes;
};
void PrintTo(const InputCase& c, std::ostream* out) { *out << c.name; }

class Input : public testing::TestWithParam<InputCase> {};

TEST_P(Input, ChangesThePictureOrLeavesItAlone) {
    const InputCase& c = GetParam();
    Pelorin pelorin({"data.txt", Terrain(), "config.txt", "[display]\nsphere-tesel = 4\n"});
    pelorin.Start();
    pelorin.WaitForWindow();
    const Picture before = pelorin.FirstFrame();
    ASSERT_GT(before.width, 0);

    std::string command = c.xdotool;
    for (size_t at; (at = command.find("%W")) != std::string::npos;) command.replace(at, 2, pelorin.window());
    RunCommand("xdotool " + command);

    // A picture that is to stay the same gets a second to change all the same.
    const Picture after = WaitForChange(pelorin.window(), before, 500, c.changes ? 10 : 1);
    if (c.changes) {
        EXPECT_GT(DifferingPixels(before, after), 500);
        EXPECT_GT(Shares(after).red, 0.01) << "the spheres left the picture";
    } else {
        EXPECT_EQ(DifferingPixels(before, after), 0);
    }
    pelorin.Quit();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Input,
    testing::Values(
        InputCase{"LeftDragOrbits",
                  "mousemove --window %W 400 300 mousedown 1 mousemove --window %W 450 310 "
                  "mousemove --window %W 500 320 mouseup 1",
                  true},
        InputCase{"RightDragPans",
                  "mousemove --window %W 400 300 mousedown 3 mousemove --window %W 420 300 "
                  "mousemove --window %W 440 300 mouseup 3",
                  true},
        InputCase{"WheelForwardZooms", "mousemove --window %W 400 300 click 4", true},
        InputCase{"WheelBackZooms", "mousemove --window %W 400 300 click 5", true},
        InputCase{"PlusRefinesSpheres", "windowfocus --sync %W key plus", true},
        InputCase{"MinusCoarsensSpheres", "windowfocus --sync %W key minus", true},
        InputCase{"MiddleDragDoesNothing",
                  "mousemove --window %W 400 300 mousedown 2 mousemove --window %W 450 350 mouseup 2", false},
        InputCase{"UnboundKeyDoesNothing", "windowfocus --sync %W key x", false}),
    [](const testing::TestParamInfo<InputCase>& paramInfo) { return paramInfo.param.name; });

TEST(Window, FullScreenThenEscapeRestores800By600At100) {
    Pelorin pelorin({"data.txt", Terrain()});
    pelorin.Start();
    pelorin.WaitForWindow();
    // The window shows before the program reads its first event: keys typed
    // then wait in the queue behind the first frame, which on a loaded
    // machine can take seconds of its own. Each deadline below is meant for
    // one key's work alone.
    ASSERT_GT(Shares(pelorin.FirstFrame()).red, 0.01);
    const WindowGeometry restored{100, 100, 800, 600};
    for (const char* key : {"F", "f"}) {
        SCOPED_TRACE(key);
        TypeKeys(pelorin.window(), key);
        // Without a window manager the toolkit resizes the window to the
        // screen itself; where it places it then is the toolkit's own.
        const WindowGeometry full = WaitForGeometry(
            pelorin.window(),
            [](const WindowGeometry& g) {
                return g.width == XvfbServer::screenWidth && g.height == XvfbServer::screenHeight;
            },
            stateTimeout);
        EXPECT_EQ(full.width, XvfbServer::screenWidth);
        EXPECT_EQ(full.height, XvfbServer::screenHeight);

        // Escape moves the window, then resizes it: the first of the two
        // geometries it passes through is not yet the restored one.
        TypeKeys(pelorin.window(), "Escape");
        EXPECT_EQ(WaitForGeometry(
                      pelorin.window(), [&](const WindowGeometry& g) { return g == restored; }, stateTimeout),
                  restored);
    }
    pelorin.Quit();
}

// ---- A series ----

// Waits until the window's title is `title`; returns the last one seen.
std::string WaitForTitle(const std::string& window, const std::string& title) {
    std::string seen;
    for (int tries = 0; tries < 100 && (seen = TitleOf(window)) != title; ++tries) usleep(100 * 1000);
    return seen;
}

// The arrows, End, Home and space step and play through the frames, each
// named in the title; the first frame is read once, with "data prepared".
TEST(Series, KeysStepAndPlayThroughTheFrames) {
    std::string lower = Terrain(), higher = Terrain();
    for (char& c : lower) c = c == '2' ? '0' : c;
    for (char& c : higher) c = c == '0' ? '3' : c;
    Pelorin pelorin({"config.txt", "[data]\nseries = f-%d.txt\n[display]\nsphere-tesel = 4\n", "f-1.txt", Terrain(),
                     "f-2.txt", lower, "f-10.txt", higher});
    pelorin.Start();
    pelorin.WaitForWindow("Pelorin: frame 1 of 3: f-1.txt");
    const Picture first = pelorin.FirstFrame();
    const struct {
        const char* keys;
        const char* title;
    } steps[] = {{"Right", "frame 2 of 3: f-2.txt"}, {"End", "frame 3 of 3: f-10.txt"},
                 {"Left", "frame 2 of 3: f-2.txt"}, {"Home", "frame 1 of 3: f-1.txt"},
                 {"period", "frame 2 of 3: f-2.txt"}, {"comma", "frame 1 of 3: f-1.txt"},
                 {"space", "frame 3 of 3: f-10.txt"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.keys);
        TypeKeys(pelorin.window(), step.keys);
        EXPECT_EQ(WaitForTitle(pelorin.window(), std::string("Pelorin: ") + step.title),
                  std::string("Pelorin: ") + step.title);
    }
    EXPECT_GT(DifferingPixels(first, WaitForChange(pelorin.window(), first, 500, 10)), 500);
    pelorin.Quit();
    EXPECT_EQ(pelorin.process().output(), "data prepared\n");
    EXPECT_EQ(CountLinesStartingWith(pelorin.process().errors(), "warning:"), 0) << pelorin.process().errors();
}

// ---- How it ends ----

struct EndCase {
    const char* name;
    void (*end)(const std::string& window);
};
void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

class Ending : public testing::TestWithParam<EndCase> {};

TEST_P(Ending, ExitsZeroAfterClosingTheDataFile) {
    Pelorin pelorin({"data.txt", Terrain()});
    pelorin.Start();
    pelorin.WaitForWindow();
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(pelorin.Path("data.txt").c_str(), resolved), nullptr);
    const std::string data_file = resolved;
    // The loader keeps the file open while the window is up.
    ASSERT_NE(pelorin.OpenFilesNow().find(data_file), std::string::npos);

    GetParam().end(pelorin.window());
    ASSERT_EQ(pelorin.process().wait(exitTimeout), 0) << pelorin.process().errors();

    // Written after main returned: the data file is no longer among the open
    // files, so the point set was destroyed, not left to the process's end.
    const std::string openAtExit = pelorin.OpenAtExit();
    ASSERT_NE(openAtExit.find(pelorin.Path("stdout.txt")), std::string::npos) << "no report from the probe";
    EXPECT_EQ(openAtExit.find(data_file), std::string::npos) << openAtExit;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Ending,
    testing::Values(EndCase{"LowerQ", [](const std::string& w) { TypeKeys(w, "q"); }},
                    EndCase{"UpperQ", [](const std::string& w) { TypeKeys(w, "Q"); }},
                    EndCase{"WindowSystemClose", [](const std::string& w) { RequestClose(w); }}),
    [](const testing::TestParamInfo<EndCase>& paramInfo) { return paramInfo.param.name; });

// ---- Diagnostics ----

struct OriginalLineCase {
    const char* name;
    const char* config;
    const char* line;  // null: no such line at all
};
void PrintTo(const OriginalLineCase& c, std::ostream* out) { *out << c.name; }

class OriginalLine : public testing::TestWithParam<OriginalLineCase> {};

TEST_P(OriginalLine, WrittenExactlyWhenTessellationIsSet) {
    const OriginalLineCase& c = GetParam();
    Pelorin pelorin({"data.txt", Terrain(), "config.txt", c.config});
    pelorin.Start();
    pelorin.WaitForWindow();
    pelorin.Quit();
    const std::string errors = pelorin.process().errors();
    if (c.line) {
        EXPECT_EQ(CountLinesStartingWith(errors, "## original = "), 1) << errors;
        EXPECT_NE(errors.find(std::string(c.line) + "\n"), std::string::npos) << errors;
    } else {
        EXPECT_EQ(CountLinesStartingWith(errors, "## original = "), 0) << errors;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OriginalLine,
    testing::Values(OriginalLineCase{"Unset", "[data]\nfile = data.txt\n", nullptr},
                    OriginalLineCase{"OnlyRadiusSet", "[display]\nsphere-r = 0.5\n", nullptr},
                    OriginalLineCase{"Set", "[display]\nsphere-tesel = 7.9\n", "## original = 7.9"},
                    OriginalLineCase{"SetToText", "[display]\nsphere-tesel = abc\n", "## original = abc"}),
    [](const testing::TestParamInfo<OriginalLineCase>& paramInfo) { return paramInfo.param.name; });

// ---- The snapshot script ----

TEST(Snapshot, SavesThePictureAndQuitsOrPassesOnTheFailure) {
    TempDir dir("snapshot");
    WriteFile(dir / "data.txt", Terrain());
    ChildProcess run(dir.path(), "/bin/bash", {PELORIN_SNAPSHOT_SCRIPT, ".", "shot.png"},
                     {std::string("PELORIN=") + PELORIN_PROGRAM, SanitizerOptionsForGlProgram()});
    ASSERT_EQ(run.wait(60), 0) << run.errors();
    EXPECT_EQ(run.output(), "data prepared\nsnapshot written to " + (dir / "shot.png") + "\n");

    Picture shot;
    std::istringstream size(RunCommand("identify -format '%w %h' " + (dir / "shot.png")));
    size >> shot.width >> shot.height;
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    const std::string rgb = RunCommand("stream -map rgb -storage-type char " + (dir / "shot.png") + " -");
    shot.rgb.assign(rgb.begin(), rgb.end());
    ASSERT_EQ(shot.rgb.size(), 800u * 600u * 3u);
    EXPECT_GT(Shares(shot).red, 0.10);
    EXPECT_GT(Shares(shot).white, 0.10);

    // A missing data file: the program's status, and no picture.
    TempDir empty("snapshot");
    ChildProcess failed(empty.path(), "/bin/bash", {PELORIN_SNAPSHOT_SCRIPT, ".", "shot.png"},
                        {std::string("PELORIN=") + PELORIN_PROGRAM, SanitizerOptionsForGlProgram()});
    EXPECT_EQ(failed.wait(60), 1);
    EXPECT_NE(failed.errors().find(fileNotFound), std::string::npos);
    EXPECT_FALSE(std::ifstream(empty / "shot.png").good());
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new PrivateDisplay);
    return RUN_ALL_TESTS();
}
