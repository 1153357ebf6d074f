// Runs the real program on a data file that does not exist.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Program, MissingDataFileEndsWithStatusOneAndTheMessage) {
    auto dir = std::filesystem::temp_directory_path() / ("pelorin-missing-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "config.txt") << "[data]\nfile = nowhere.txt\n";

    // No display is given: the program must end before it would open a window.
    std::string command = "cd '" + dir.string() + "' && env -u DISPLAY '" + PELORIN_EXE +
                          "' > out.txt 2> err.txt";
    int status = std::system(command.c_str());

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(read_file(dir / "out.txt"), "");
    EXPECT_EQ(read_file(dir / "err.txt"), "error: file not found (SurfData constructor)\n");
    std::filesystem::remove_all(dir);
}

}  // namespace
