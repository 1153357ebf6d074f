// Bad input through the real program: one "error:" line, status 1, nothing
// on standard output and nothing left in the output folder's place.
#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "child_process.h"
#include "fixtures.h"
#include "import_elevation.h"

namespace {


struct ErrorCase {
    const char* name;
    // "{out}" is the output folder, "{dir}" the test's folder, "{nc-bytes}"
    // and "{nc-cut}" the lengths of cut.nc before and after it was cut.
    std::vector<std::string> arguments;
    std::string error;  // likewise
};

void PrintTo(const ErrorCase& error, std::ostream* out) { *out << error.name; }

class Errors : public ::testing::TestWithParam<ErrorCase> {};

std::string Expand(std::string text, const std::string& dir, std::uintmax_t ncBytes = 0) {
    for (const auto& [word, value] : std::vector<std::pair<std::string, std::string>>{
             {"{out}", dir + "/run/out"},
             {"{dir}", dir},
             {"{nc-bytes}", std::to_string(ncBytes)},
             {"{nc-cut}", std::to_string(ncBytes / 2)}})
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
    Raster colours = Filled(4, 4, 100, GDT_Byte);
    colours.colours = {GCI_RedBand, GCI_GreenBand, GCI_BlueBand};
    WriteRaster(dir / "rgb.png", "PNG", colours);
    Raster palette = Filled(4, 4, 0, GDT_Byte);
    palette.palette = true;
    WriteRaster(dir / "palette.png", "PNG", palette);
    // Cut to half: the netCDF reader would give the rest as zeros.
    WriteRaster(dir / "cut.nc", "netCDF", Filled(64, 64, 100, GDT_Float32));
    const std::uintmax_t ncBytes = std::filesystem::file_size(dir / "cut.nc");
    std::filesystem::resize_file(dir / "cut.nc", ncBytes / 2);
    // A JPEG cut short is only a warning to GDAL, unless asked otherwise.
    for (const auto& [file, driver] : {std::pair{"cut.tif", "GTiff"}, std::pair{"cut.jpg", "JPEG"}}) {
        Raster ramp = Filled(64, 64, 0, GDT_Byte);
        for (std::size_t i = 0; i < ramp.values.size(); ++i) ramp.values[i] = i % 251;
        WriteRaster(dir / file, driver, ramp);
        std::filesystem::resize_file(dir / file, std::filesystem::file_size(dir / file) / 2);
    }
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
    EXPECT_EQ(program.errors(), "error: " + Expand(GetParam().error, dir.path(), ncBytes) + "\n");
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
        ErrorCase{"ColourImage", {"{dir}/rgb.png", "{out}"},
                  "'{dir}/rgb.png': a colour image (bands red, green, blue), not heights; give --band N to read "
                  "band N as heights anyway"},
        ErrorCase{"PaletteImage", {"{dir}/palette.png", "{out}"},
                  "'{dir}/palette.png': a palette image (band 1 holds indexes into a colour table), not heights; "
                  "give --band 1 to read the indexes as heights anyway"},
        ErrorCase{"NoSuchBand", {"{dir}/rgb.png", "{out}", "--band", "4"},
                  "'{dir}/rgb.png': no band 4; it has 3 bands"},
        ErrorCase{"CutNetcdf", {"{dir}/cut.nc", "{out}"},
                  "'{dir}/cut.nc': cut short: it holds {nc-cut} bytes where its netCDF header needs {nc-bytes}; the "
                  "missing cells would read as 0"},
        ErrorCase{"CutGeoTiff", {"{dir}/cut.tif", "{out}"},
                  "'{dir}/cut.tif': reading band 1 failed: {dir}/cut.tif, band 1: IReadBlock failed at X offset 0, "
                  "Y offset 0: TIFFReadEncodedStrip() failed."},
        ErrorCase{"CutJpeg", {"{dir}/cut.jpg", "{out}"},
                  "'{dir}/cut.jpg': reading band 1 failed: {dir}/cut.jpg, band 1: IReadBlock failed at X offset 0, "
                  "Y offset 16: libjpeg: Premature end of JPEG file"},
        ErrorCase{"SizeZero", {"{dir}/good.tif", "{out}", "--size", "0"},
                  "--size must be a whole number from 1 to 65536, not '0'"},
        ErrorCase{"LevelsZero", {"{dir}/good.tif", "{out}", "--levels", "0"},
                  "--levels must be a whole number from 1 to 1000000000, not '0'"},
        ErrorCase{"NoOperands", {}, "expected INPUT and OUTDIR, got 0 operands (see pelorin-import --help)"},
        ErrorCase{"FolderUnderAFile", {"{dir}/good.tif", "{dir}/blocker/out"},
                  "cannot make the output folder '{dir}/blocker/out': Not a directory"},
        ErrorCase{"ExistingConfiguration", {"{dir}/good.tif", "{dir}/taken"},
                  "'{dir}/taken/config.txt' exists; give --force to overwrite it"},
        // Levels of 1e-8 metres: 3 cells at level 0, one at 1e11.
        ErrorCase{"PastTheHighestLevel", {"{dir}/steep.tif", "{out}", "--metres-per-level", "1e-8"},
                  "the highest level would be 100000000000, more than 2147483647, the highest a data file holds; "
                  "give fewer --levels or a larger --metres-per-level"},
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
        // The levels are the whole series': refused before a frame is written.
        ErrorCase{"FramePastTheHighestLevel",
                  {"{dir}/flat.tif", "{dir}/steep.tif", "{out}", "--metres-per-level", "1e-8"},
                  "the highest level would be 100000000000, more than 2147483647, the highest a data file holds; "
                  "give fewer --levels or a larger --metres-per-level"}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// A reader that reports a block it cannot read only to GDAL's error
// handler, and goes on with success and the block's cells at 0.
CPLErr FailQuietly(void**, int, void* data, int width, int height, GDALDataType, GDALDataType type,
                   int pixelSpace, int lineSpace) {
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            std::memset(static_cast<char*>(data) + row * lineSpace + column * pixelSpace, 0,
                        GDALGetDataTypeSizeBytes(type));
    CPLError(CE_Failure, CPLE_FileIO, "block 3 could not be read");
    return CE_None;
}

TEST(ReadErrors, AFailureReportedOnlyToTheErrorHandlerRefusesTheImport) {
    GDALAddDerivedBandPixelFunc("pelorin_fail_quietly", FailQuietly);
    const TempDir dir("import-quiet-failure");
    WriteFile(dir / "in.vrt",
              "<VRTDataset rasterXSize='2' rasterYSize='2'>"
              "<VRTRasterBand dataType='Int16' band='1' subClass='VRTDerivedRasterBand'>"
              "<PixelFunctionType>pelorin_fail_quietly</PixelFunctionType></VRTRasterBand></VRTDataset>");
    const ImportRun run = Import({dir / "in.vrt", dir / "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: '" + (dir / "in.vrt") + "': reading band 1 failed: block 3 could not be read\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

}  // namespace
