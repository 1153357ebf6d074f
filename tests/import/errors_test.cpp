// Bad input through the real program: one "error:" line, status 1, nothing
// on standard output and nothing left in the output folder's place.
#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "fixtures.h"
#include "import_elevation.h"

namespace {


struct ErrorCase {
    const char* name;
    std::vector<std::string> arguments;  // "{out}" is the output folder, "{dir}" the test's folder
    std::string error;                   // likewise
};

void PrintTo(const ErrorCase& error, std::ostream* out) { *out << error.name; }

class Errors : public ::testing::TestWithParam<ErrorCase> {};

std::string Expand(std::string text, const std::string& dir) {
    for (const auto& [word, value] : std::vector<std::pair<std::string, std::string>>{
             {"{out}", dir + "/run/out"}, {"{dir}", dir}})
        for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + value.size()))
            text.replace(at, word.size(), value);
    return text;
}

TEST_P(Errors, EndWithOneErrorLineAndLeaveNothing) {
    const TempDir dir("import-errors");
    WriteRaster(dir / "good.tif", "GTiff", Filled(4, 4, 100));
    Raster missing = Filled(4, 4, -9999);
    missing.nodata = -9999;
    WriteRaster(dir / "empty.tif", "GTiff", missing);
    Raster steep = Filled(2, 2, 0);
    steep.values[3] = 1000;
    WriteRaster(dir / "steep.tif", "GTiff", steep);
    WriteRaster(dir / "flat.tif", "GTiff", Filled(2, 2, 0));
    WriteFile(dir / "notes.txt", "not a raster\n");
    WriteFile(dir / "word.txt", "1 2 3\r\n4 5 x6\r\n");
    WriteFile(dir / "ragged.txt", "1 2 3\n4 5\n");
    WriteFile(dir / "commas.txt", "1,,2\n");
    WriteFile(dir / "huge.txt", "1 1e999\n");
    WriteFile(dir / "holes.txt", "nan inf\n-inf NaN\n");
    WriteFile(dir / "blank.txt", "\n \n");
    WriteFile(dir / "blocker", "a file where a folder would go\n");
    std::filesystem::create_directory(dir / "run");
    std::filesystem::create_directory(dir / "taken");
    WriteFile(dir / "taken/config.txt", "mine\n");

    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments) arguments.push_back(Expand(argument, dir.path()));
    ChildProcess program(dir / "run", PELORIN_IMPORT_EXE, arguments);
    EXPECT_EQ(program.wait(30), 1);
    EXPECT_EQ(program.errors(), "error: " + Expand(GetParam().error, dir.path()) + "\n");
    EXPECT_EQ(program.output(), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "run/out"));
    EXPECT_EQ(ReadFile(dir / "taken/config.txt"), "mine\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "taken/data.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "taken/frame-00001.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Import, Errors,
    ::testing::Values(
        ErrorCase{"MissingInput", {"{dir}/nowhere.tif", "{out}"}, "'{dir}/nowhere.tif': no such file"},
        ErrorCase{"NotARaster", {"{dir}/notes.txt", "{out}"}, "'{dir}/notes.txt': not a raster that GDAL can read"},
        ErrorCase{"NoValidCell", {"{dir}/empty.tif", "{out}"}, "'{dir}/empty.tif': band 1 holds no valid cell"},
        ErrorCase{"SizeZero", {"{dir}/good.tif", "{out}", "--size", "0"},
                  "--size must be a whole number from 1 to 4096, not '0'"},
        ErrorCase{"LevelsZero", {"{dir}/good.tif", "{out}", "--levels", "0"},
                  "--levels must be a whole number from 1 to 1000000000, not '0'"},
        ErrorCase{"NoOperands", {}, "expected INPUT and OUTDIR, got 0 operands (see pelorin-import --help)"},
        ErrorCase{"FolderUnderAFile", {"{dir}/good.tif", "{dir}/blocker/out"},
                  "cannot make the output folder '{dir}/blocker/out': Not a directory"},
        ErrorCase{"ExistingConfiguration", {"{dir}/good.tif", "{dir}/taken"},
                  "'{dir}/taken/config.txt' exists; give --force to overwrite it"},
        // Levels of 1e-8 metres: 3 cells at level 0, one at 1e11.
        ErrorCase{"PastThePointLimit", {"{dir}/steep.tif", "{out}", "--metres-per-level", "1e-8"},
                  "the grid would hold 100000000004 points, more than the " + std::to_string(ImportPointLimit()) +
                      " this machine's memory allows; give a smaller --size, fewer --levels or a larger "
                      "--metres-per-level"},
        ErrorCase{"MatrixWord", {"{dir}/word.txt", "{out}"},
                  "'{dir}/word.txt': text matrix, line 2, column 5: 'x6' is not a number"},
        ErrorCase{"MatrixRagged", {"{dir}/ragged.txt", "{out}"},
                  "'{dir}/ragged.txt': text matrix, line 2 holds 2 numbers where line 1 holds 3; every row must "
                  "hold as many"},
        ErrorCase{"MatrixEmptyField", {"{dir}/commas.txt", "{out}"},
                  "'{dir}/commas.txt': text matrix, line 1, column 3: a comma with no number before it"},
        ErrorCase{"MatrixOutOfRange", {"{dir}/huge.txt", "{out}"},
                  "'{dir}/huge.txt': text matrix, line 1, column 3: '1e999' is out of range"},
        ErrorCase{"MatrixOfHoles", {"{dir}/holes.txt", "{out}"},
                  "'{dir}/holes.txt': every number is NaN or infinite"},
        ErrorCase{"NoNumbers", {"{dir}/blank.txt", "{out}"},
                  "'{dir}/blank.txt': holds no numbers and is not a raster that GDAL can read"},
        ErrorCase{"GlobMatchingNothing", {"{dir}/none/*.txt", "{out}"}, "'{dir}/none/*.txt' matches no file"},
        ErrorCase{"FramesOfTwoSizes", {"{dir}/good.tif", "{dir}/flat.tif", "{out}"},
                  "'{dir}/flat.tif': 2 x 2 cells where '{dir}/good.tif' has 4 x 4; the frames of a series must all "
                  "be of one size"},
        ErrorCase{"SeriesOverAConfiguration", {"{dir}/good.tif", "{dir}/good.tif", "{dir}/taken"},
                  "'{dir}/taken/config.txt' exists; give --force to overwrite it"},
        // The first frame is written before the second is found too large.
        ErrorCase{"FramePastThePointLimit",
                  {"{dir}/flat.tif", "{dir}/steep.tif", "{out}", "--metres-per-level", "1e-8"},
                  "'{dir}/steep.tif': the grid would hold 100000000004 points, more than the " +
                      std::to_string(ImportPointLimit()) +
                      " this machine's memory allows; give a smaller --size, fewer --levels or a larger "
                      "--metres-per-level"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
