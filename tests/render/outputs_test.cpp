// What pelorin-render leaves where it writes: only new names or regular
// files replaced, nothing else touched, no temporaries, and films of exactly
// the run's pictures.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "clock.h"
#include "pending_file.h"
#include "ridge_terrain.h"

namespace {

// The names in `dir` of the form FILE.png.XXXXXX or FILE.mp4.XXXXXX.
std::vector<std::string> Temporaries(const std::string& dir) {
    std::vector<std::string> found;
    DIR* folder = opendir(dir.c_str());
    while (const dirent* entry = folder ? readdir(folder) : nullptr) {
        const std::string name = entry->d_name;
        const std::size_t kind = name.size() > 11 ? name.size() - 11 : 0;
        if (name.compare(kind, 5, ".png.") == 0 || name.compare(kind, 5, ".mp4.") == 0) found.push_back(name);
    }
    if (folder) closedir(folder);
    return found;
}

// The file type at `path` itself (S_IFIFO, S_IFLNK ...), 0 if nothing is there.
mode_t TypeAt(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// The last "error:" line on standard error, without its line end; "" if none.
std::string ErrorLine(const std::string& errors) {
    const std::size_t start = errors.rfind("error: ");
    if (start == std::string::npos || (start > 0 && errors[start - 1] != '\n')) return "";
    return errors.substr(start, errors.find('\n', start) - start);
}

// The pictures in a film, read back by ffprobe; -1 when it cannot tell.
int FilmFrames(const std::string& film) {
    TempDir probeDir("probe");
    ChildProcess probe(probeDir.path(), "/usr/bin/ffprobe",
                       {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                        "stream=nb_read_frames", "-of", "csv=p=0", film});
    return probe.wait(60) == 0 ? std::atoi(probe.output().c_str()) : -1;
}

const char* const kept = "keep\n";

// A series of three frames, the second a folder that cannot be read, and a
// file for links to point to; pelorin-render run there.
struct Folder {
    Folder() {
        WriteFile(dir / "config.txt", "[data]\nseries = f-%d.txt\n");
        WriteFile(dir / "f-1.txt", RidgeTerrain());
        WriteFile(dir / "f-3.txt", RidgeTerrain());
        mkdir((dir / "f-2.txt").c_str(), 0700);
        WriteFile(dir / "keep.txt", kept);
    }
    ChildProcess& Start(std::vector<std::string> args) {
        args.push_back("--quiet");
        run = std::make_unique<ChildProcess>(dir.path(), PELORIN_RENDER, args,
                                             std::vector<std::string>{SanitizerOptionsForGlProgram()});
        return *run;
    }
    // On tiny pictures, with a deadline: the status, or -1.
    int Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--size", "32x24"});
        return Start(args).wait(120).value_or(-1);
    }

    TempDir dir{"outputs"};
    std::unique_ptr<ChildProcess> run;
};

// What is at a destination before the run: a FIFO, a link to keep.txt, a
// device node, or an earlier run's five pictures, or "".
bool Place(Folder& folder, const std::string& before, const std::string& at) {
    const std::string path = folder.dir / at;
    if (before == "fifo") return mkfifo(path.c_str(), 0600) == 0;
    if (before == "link") return symlink("keep.txt", path.c_str()) == 0;
    if (before == "device") return geteuid() == 0 && mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    return before != "earlier" || folder.Run({"-o", at, "--turntable", "5"}) == 0;
}

struct OutputCase {
    const char* name;
    const char* before;
    const char* at;
    std::vector<std::string> args;
    int status;
    const char* error;   // the one "error:" line, or ""
    const char* absent;  // a picture the run must not have drawn, or ""
    int frames;          // the pictures in t.mp4 afterwards, or 0
};
void PrintTo(const OutputCase& c, std::ostream* out) { *out << c.name; }

class Outputs : public testing::TestWithParam<OutputCase> {};

TEST_P(Outputs, OnlyOwnFilesWrittenAndNothingLeftBehind) {
    const OutputCase& c = GetParam();
    Folder folder;
    if (!Place(folder, c.before, c.at)) {
        ASSERT_STREQ(c.before, "device");
        GTEST_SKIP() << "a device node can be made only by root";
    }
    const mode_t type = TypeAt(folder.dir / c.at);
    EXPECT_EQ(folder.Run(c.args), c.status) << folder.run->errors();
    EXPECT_EQ(ErrorLine(folder.run->errors()), c.error) << folder.run->errors();
    EXPECT_EQ(TypeAt(folder.dir / c.at), type);
    EXPECT_EQ(ReadFile(folder.dir / "keep.txt"), kept);
    EXPECT_TRUE(!*c.absent || TypeAt(folder.dir / c.absent) == 0) << c.absent;
    EXPECT_EQ(c.frames ? FilmFrames(folder.dir / "t.mp4") : 0, c.frames);
    EXPECT_EQ(Temporaries(folder.dir.path()), std::vector<std::string>{});
}

const std::vector<std::string> filmArguments = {"-o", "t.png", "--turntable", "2", "--video", "t.mp4"};

INSTANTIATE_TEST_SUITE_P(
    Cases, Outputs,
    testing::Values(
        OutputCase{"FifoPicture", "fifo", "out.png", {"-o", "out.png"}, 1,
                   "error: cannot write 'out.png': it is a FIFO, not a regular file", "", 0},
        OutputCase{"FifoFilm", "fifo", "t.mp4", filmArguments, 1,
                   "error: cannot write 't.mp4': it is a FIFO, not a regular file", "t-0001.png", 0},
        OutputCase{"DevicePicture", "device", "out.png", {"-o", "out.png"}, 1,
                   "error: cannot write 'out.png': it is a character device, not a regular file", "", 0},
        OutputCase{"LinkedLaterPicture", "link", "t-0002.png", {"-o", "t.png", "--turntable", "3"}, 1,
                   "error: cannot write 't-0002.png': it is a symbolic link, not a regular file", "t-0001.png", 0},
        OutputCase{"LinkBesideTheFilm", "link", "t.mp4.partial", filmArguments, 0, "", "", 2},
        OutputCase{"ShorterTurntableAfterLonger", "earlier", "t.png",
                   {"-o", "t.png", "--turntable", "3", "--video", "t.mp4"}, 0, "", "", 3},
        OutputCase{"SeriesSkippingAFrameAfterLongerRun", "earlier", "t.png",
                   {"-o", "t.png", "--series", "--video", "t.mp4"}, 0, "", "", 2},
        OutputCase{"FilmIntoMissingFolder", "", "", {"-o", "t.png", "--turntable", "2", "--video", "no/t.mp4"}, 1,
                   "error: cannot write 'no/t.mp4': the folder 'no' does not exist", "t-0001.png", 0},
        OutputCase{"PictureUnderAFile", "", "", {"-o", "f-1.txt/p.png"}, 1,
                   "error: cannot write 'f-1.txt/p.png': 'f-1.txt' is not a folder", "", 0},
        OutputCase{"NoFrameRead", "", "", {"-o", "s.png", "--frames", "2"}, 1,
                   "error: frame 2 of the series cannot be read; no picture written", "s-0001.png", 0}),
    [](const testing::TestParamInfo<OutputCase>& paramInfo) { return paramInfo.param.name; });

// Killed while it writes, a run leaves only whole pictures: it is killed as
// soon as a temporary shows, or after its fifth picture if none ever does.
TEST(RenderOutputs, KilledRunLeavesNoTemporaries) {
    Folder folder;
    const int unnamed = open(folder.dir.path().c_str(), O_TMPFILE | O_RDWR, 0600);
    if (unnamed < 0) GTEST_SKIP() << "this file system keeps no unnamed files: a killed run leaves its temporary";
    close(unnamed);
    ChildProcess& render = folder.Start({"-o", "k.png", "--turntable", "100"});
    const double deadline = MonotonicSeconds() + 120;
    while (Temporaries(folder.dir.path()).empty() && TypeAt(folder.dir / "k-0005.png") == 0 && render.running() &&
           MonotonicSeconds() < deadline) {
        usleep(500);
    }
    ASSERT_TRUE(render.running()) << render.errors();
    kill(render.pid(), SIGKILL);
    EXPECT_EQ(render.wait(30), 128 + SIGKILL);
    EXPECT_EQ(Temporaries(folder.dir.path()), std::vector<std::string>{});
}

// What comes to be at the name while the file is written is checked again
// at the end: anything but a regular file is left as it is, and the file
// written leaves no temporary beside it.
TEST(PendingFile, ReplacesNothingButARegularFileFoundAtTheEnd) {
    for (const std::string meanwhile : {"link", "fifo"}) {
        SCOPED_TRACE(meanwhile);
        TempDir dir("pending");
        const std::string path = dir / "p.png";
        WriteFile(dir / "keep.txt", kept);
        {
            PendingFile file(path);
            ASSERT_EQ(write(file.descriptor(), "new", 3), 3) << file.error();
            ASSERT_EQ(meanwhile == "link" ? symlink("keep.txt", path.c_str()) : mkfifo(path.c_str(), 0600), 0);
            EXPECT_EQ(file.Publish(), "cannot write '" + path + "': it is " +
                                          (meanwhile == "link" ? "a symbolic link" : "a FIFO") + ", not a regular file");
        }
        EXPECT_EQ(TypeAt(path), meanwhile == "link" ? S_IFLNK : S_IFIFO);
        EXPECT_EQ(ReadFile(dir / "keep.txt"), kept);
        EXPECT_EQ(Temporaries(dir.path()), std::vector<std::string>{});
    }
}

}  // namespace
