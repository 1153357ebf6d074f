// A series replaced in a folder, the program stopped right after each change
// it makes, as a kill would stop it: the folder shows the series before or the
// new one, whole, never the one again once the other was shown; and the next
// import leaves nothing of the stopped one behind.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "config_store.h"
#include "frame_files.h"
#include "series_files.h"
#include "temp_files.h"

namespace {

std::vector<std::string> Frames(const std::string& label, int count) {
    std::vector<std::string> frames;
    for (int number = 1; number <= count; ++number) frames.push_back(label + " " + std::to_string(number) + "\n");
    return frames;
}

std::string ConfigFor(const std::string& pattern) { return "[data]\nseries = " + pattern + "\n"; }

// The texts of the frames the folder's config.txt names, in the order shown.
std::vector<std::string> Shown(const std::string& dir) {
    const ConfigStore config((dir + "/config.txt").c_str());
    const std::string pattern = config.lookup("data/series", "");
    std::vector<std::string> texts;
    if (!pattern.empty())
        for (const std::string& file : SeriesFiles(dir + "/" + pattern)) texts.push_back(ReadFile(file));
    return texts;
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteSeries(const std::string& dir, const std::vector<std::string>& frames,
                 std::function<void()> afterEachChange = {}) {
    SeriesWriter writer(dir, true, std::move(afterEachChange));
    std::string error;
    for (const std::string& frame : frames)
        if (!writer.Add(frame, error)) return false;
    return writer.Commit(ConfigFor, error);
}

enum class Ending { stopped, finished, failed };

// WriteSeries in a child process that ends right after change `stop`.
Ending StopAfterChange(int stop, const std::string& dir, const std::vector<std::string>& frames) {
    const pid_t child = fork();
    if (child == 0) {
        int changes = 0;
        const bool written = WriteSeries(dir, frames, [&] {
            if (++changes == stop) _exit(0);
        });
        _exit(written ? 1 : 2);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return Ending::failed;
    return WEXITSTATUS(status) == 0 ? Ending::stopped : WEXITSTATUS(status) == 1 ? Ending::finished : Ending::failed;
}

struct StopCase {
    const char* name;
    int before;  // frames of the series already there; 0: not even the folder
    int after;   // frames of the new series
    const FrameNames* beforeNames;
};

void PrintTo(const StopCase& stop, std::ostream* out) { *out << stop.name; }

class Stops : public ::testing::TestWithParam<StopCase> {};

TEST_P(Stops, LeaveTheSeriesBeforeOrTheNewOneAndNothingOnceImportedAgain) {
    const StopCase& param = GetParam();
    const std::vector<std::string> before = Frames("before", param.before);
    const std::vector<std::string> after = Frames("after", param.after);
    bool newShown = false;
    for (int stop = 1;; ++stop) {
        ASSERT_LT(stop, 100) << "no end to the changes";
        const TempDir dir("import-stops");
        const std::string out = dir / "out";
        if (param.before > 0) {
            std::filesystem::create_directory(out);
            for (int number = 1; number <= param.before; ++number)
                WriteFile(out + "/" + param.beforeNames->Name(number), before[number - 1]);
            WriteFile(out + "/config.txt", ConfigFor(param.beforeNames->pattern()));
        }
        const Ending run = StopAfterChange(stop, out, after);
        ASSERT_NE(run, Ending::failed) << "stopped after change " << stop;
        const std::vector<std::string> shown = Shown(out);
        if (run == Ending::finished) {
            EXPECT_TRUE(newShown || param.before == 0);
            EXPECT_EQ(shown, after);
            break;
        }
        if (newShown)
            EXPECT_EQ(shown, after) << "stopped after change " << stop;
        else
            EXPECT_TRUE(shown == before || shown == after) << "stopped after change " << stop;
        newShown = shown == after;

        // Imported again, the folder holds that series under the usual names only.
        ASSERT_TRUE(WriteSeries(out, Frames("again", 2))) << "stopped after change " << stop;
        EXPECT_EQ(Shown(out), Frames("again", 2));
        EXPECT_EQ(Entries(out), (std::vector<std::string>{"config.txt", "frame-00001.txt", "frame-00002.txt"}))
            << "stopped after change " << stop;
    }
}

INSTANTIATE_TEST_SUITE_P(Series, Stops,
                         ::testing::Values(StopCase{"Shorter", 4, 2, &usualFrameNames},
                                           StopCase{"Longer", 2, 4, &usualFrameNames},
                                           StopCase{"IntoNoFolder", 0, 3, &usualFrameNames},
                                           StopCase{"FromTheOtherNames", 3, 2, &otherFrameNames}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

}  // namespace
