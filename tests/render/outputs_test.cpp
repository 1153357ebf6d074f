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

#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "clock.h"
#include "pending_file.h"
#include "ridge_terrain.h"

namespace {

std::set<std::string> Entries(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* folder = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(folder)) names.insert(entry->d_name);
        closedir(folder);
    }
    return names;
}

// Names of the form FILE.png.XXXXXX or FILE.mp4.XXXXXX.
std::vector<std::string> Temporaries(const std::string& dir) {
    std::vector<std::string> found;
    for (const std::string& name : Entries(dir)) {
        for (const char* kind : {".png.", ".mp4."}) {
            const std::size_t at = name.rfind(kind);
            if (at != std::string::npos && name.size() - at - 5 == 6) found.push_back(name);
        }
    }
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
    if (probe.wait(60) != 0) return -1;
    return std::atoi(probe.output().c_str());
}

const char* const kKept = "keep\n";

// A series of three frames, the second a folder that cannot be read, and a
// file that a link may point to.
class Folder {
public:
    Folder() : dir_("outputs") {
        WriteFile(dir_ / "config.txt", "[data]\nseries = f-%d.txt\n");
        WriteFile(dir_ / "f-1.txt", RidgeTerrain());
        WriteFile(dir_ / "f-3.txt", RidgeTerrain());
        mkdir((dir_ / "f-2.txt").c_str(), 0700);
        WriteFile(dir_ / "keep.txt", kKept);
    }

    // Runs pelorin-render on tiny pictures; the status, -1 past the deadline.
    int Run(std::vector<std::string> args) {
        for (const char* small : {"--size", "32x24", "--quiet"}) args.push_back(small);
        process_ = std::make_unique<ChildProcess>(dir_.path(), PELORIN_RENDER, args,
                                                  std::vector<std::string>{SanitizerOptionsForGlProgram()});
        return process_->wait(120).value_or(-1);
    }

    std::string errors() const { return process_->errors(); }
    std::string operator/(const std::string& name) const { return dir_ / name; }
    const std::string& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::unique_ptr<ChildProcess> process_;
};

// ---- The program ----

enum class Before { nothing, fifo, link, device, earlierRun };

struct OutputCase {
    const char* name;
    Before before;
    const char* at;  // where it is; for an earlier run, the -o of its 5-picture turntable
    std::vector<std::string> args;
    int status;
    const char* error;   // the one "error:" line, or ""
    const char* absent;  // a picture the run must not have drawn, or ""
    const char* film;    // a film and the pictures it holds, or ""
    int frames;
};
void PrintTo(const OutputCase& c, std::ostream* out) { *out << c.name; }

class Outputs : public testing::TestWithParam<OutputCase> {};

// Puts what `before` names at `at`; false if it cannot be made here.
bool Place(Before before, const std::string& at) {
    switch (before) {
        case Before::fifo: return mkfifo(at.c_str(), 0600) == 0;
        case Before::link: return symlink("keep.txt", at.c_str()) == 0;
        case Before::device: return geteuid() == 0 && mknod(at.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
        default: return true;
    }
}

TEST_P(Outputs, OnlyOwnFilesWrittenAndNothingLeftBehind) {
    const OutputCase& c = GetParam();
    Folder folder;
    const std::string at = folder / c.at;
    if (!Place(c.before, at)) {
        ASSERT_EQ(c.before, Before::device) << "cannot make it";
        GTEST_SKIP() << "a device node can be made only as root";
    }
    if (c.before == Before::earlierRun) {
        ASSERT_EQ(folder.Run({"-o", c.at, "--turntable", "5"}), 0);
    }
    const mode_t type = TypeAt(at);

    EXPECT_EQ(folder.Run(c.args), c.status) << folder.errors();
    EXPECT_EQ(ErrorLine(folder.errors()), c.error) << folder.errors();
    EXPECT_EQ(TypeAt(at), type);
    EXPECT_EQ(ReadFile(folder / "keep.txt"), kKept);
    EXPECT_TRUE(*c.absent == '\0' || TypeAt(folder / c.absent) == 0) << c.absent;
    EXPECT_EQ(*c.film ? FilmFrames(folder / c.film) : 0, c.frames);
    EXPECT_EQ(Temporaries(folder.path()), std::vector<std::string>{});
}

const std::vector<std::string> kTurnFilm = {"-o", "t.png", "--turntable", "2", "--video", "t.mp4"};

INSTANTIATE_TEST_SUITE_P(
    Cases, Outputs,
    testing::Values(
        OutputCase{"FifoPicture", Before::fifo, "out.png", {"-o", "out.png"}, 1,
                   "error: cannot write 'out.png': it is a FIFO, not a regular file", "", "", 0},
        OutputCase{"FifoFilm", Before::fifo, "t.mp4", kTurnFilm, 1,
                   "error: cannot write 't.mp4': it is a FIFO, not a regular file", "t-0001.png", "", 0},
        OutputCase{"DevicePicture", Before::device, "out.png", {"-o", "out.png"}, 1,
                   "error: cannot write 'out.png': it is a character device, not a regular file", "", "", 0},
        OutputCase{"LinkedPicture", Before::link, "out.png", {"-o", "out.png"}, 1,
                   "error: cannot write 'out.png': it is a symbolic link, not a regular file", "", "", 0},
        OutputCase{"LinkedLaterPicture", Before::link, "t-0002.png", {"-o", "t.png", "--turntable", "3"}, 1,
                   "error: cannot write 't-0002.png': it is a symbolic link, not a regular file", "t-0001.png", "",
                   0},
        OutputCase{"LinkedFilm", Before::link, "t.mp4", kTurnFilm, 1,
                   "error: cannot write 't.mp4': it is a symbolic link, not a regular file", "t-0001.png", "", 0},
        OutputCase{"LinkBesideTheFilm", Before::link, "t.mp4.partial", kTurnFilm, 0, "", "", "t.mp4", 2},
        OutputCase{"ShorterTurntableAfterLonger", Before::earlierRun, "t.png",
                   {"-o", "t.png", "--turntable", "3", "--video", "t.mp4"}, 0, "", "", "t.mp4", 3},
        OutputCase{"SeriesWithSkippedFrameAfterLongerRun", Before::earlierRun, "t.png",
                   {"-o", "t.png", "--series", "--video", "t.mp4"}, 0, "", "", "t.mp4", 2},
        OutputCase{"FilmIntoMissingFolder", Before::nothing, "",
                   {"-o", "t.png", "--turntable", "2", "--video", "gone/t.mp4"}, 1,
                   "error: cannot write 'gone/t.mp4': the folder 'gone' does not exist", "t-0001.png", "", 0},
        OutputCase{"PictureIntoMissingFolder", Before::nothing, "", {"-o", "gone/p.png"}, 1,
                   "error: cannot write 'gone/p.png': the folder 'gone' does not exist", "", "", 0},
        OutputCase{"PictureUnderAFile", Before::nothing, "", {"-o", "f-1.txt/p.png"}, 1,
                   "error: cannot write 'f-1.txt/p.png': 'f-1.txt' is not a folder", "", "", 0},
        OutputCase{"PictureOverAFolder", Before::nothing, "", {"-o", "f-2.txt"}, 1,
                   "error: cannot write 'f-2.txt': it is a folder, not a regular file", "", "", 0},
        OutputCase{"NoFrameRead", Before::nothing, "", {"-o", "s.png", "--frames", "2", "--video", "s.mp4"}, 1,
                   "error: frame 2 of the series cannot be read; no picture written", "s-0001.png", "", 0}),
    [](const testing::TestParamInfo<OutputCase>& param_info) { return param_info.param.name; });

// Killed while it writes, a run leaves only whole pictures: it is killed as
// soon as a temporary shows, or after its fifth picture if none ever does.
TEST(RenderOutputs, KilledRunLeavesNoTemporaries) {
    Folder folder;
    const int unnamed = open(folder.path().c_str(), O_TMPFILE | O_RDWR, 0600);
    if (unnamed < 0) GTEST_SKIP() << "this file system keeps no unnamed files: a killed run leaves its temporary";
    close(unnamed);
    ChildProcess render(folder.path(), PELORIN_RENDER,
                        {"-o", "k.png", "--turntable", "100", "--size", "800x600", "--quiet"},
                        {SanitizerOptionsForGlProgram()});
    const double deadline = MonotonicSeconds() + 120;
    while (Temporaries(folder.path()).empty() && TypeAt(folder / "k-0005.png") == 0 && render.running() &&
           MonotonicSeconds() < deadline) {
        usleep(500);
    }
    ASSERT_TRUE(render.running()) << render.errors();
    kill(render.pid(), SIGKILL);
    EXPECT_EQ(render.wait(30), 128 + SIGKILL);
    EXPECT_EQ(Temporaries(folder.path()), std::vector<std::string>{});
}

// ---- The file being written ----

// Whatever comes to be at the name while the file is written, a regular file
// is replaced and anything else is left as it is, with no temporary beside it.
TEST(PendingFile, ReplacesOnlyARegularFileFoundAtTheEnd) {
    const struct {
        const char* meanwhile;
        const char* error;
        const char* content;  // read through the name afterwards
    } cases[] = {
        {"", "", "new"},
        {"file", "", "new"},
        {"link", "cannot write '@': it is a symbolic link, not a regular file", kKept},
        {"fifo", "cannot write '@': it is a FIFO, not a regular file", "fifo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.meanwhile);
        TempDir dir("pending");
        const std::string path = dir / "p.png", meanwhile = c.meanwhile;
        WriteFile(dir / "keep.txt", kKept);
        std::string error = c.error;
        if (!error.empty()) error.replace(error.find('@'), 1, path);
        {
            PendingFile file(path);
            ASSERT_EQ(file.error(), "");
            ASSERT_EQ(write(file.descriptor(), "new", 3), 3);
            if (meanwhile == "file") WriteFile(path, "old");
            ASSERT_TRUE(meanwhile != "link" || symlink("keep.txt", path.c_str()) == 0);
            ASSERT_TRUE(meanwhile != "fifo" || mkfifo(path.c_str(), 0600) == 0);
            EXPECT_EQ(file.Publish(), error);
        }
        // Read only where reading cannot block.
        EXPECT_EQ(meanwhile == "fifo" ? "fifo" : ReadFile(path), c.content);
        EXPECT_EQ(TypeAt(path), meanwhile == "fifo" ? S_IFIFO : meanwhile == "link" ? S_IFLNK : S_IFREG);
        EXPECT_EQ(ReadFile(dir / "keep.txt"), kKept);
        EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{".", "..", "keep.txt", "p.png"}));
    }
}

}  // namespace
