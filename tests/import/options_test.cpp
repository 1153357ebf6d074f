// The command line: good forms and every refusal, word for word.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import_options.h"

namespace {

ParsedOptions Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "pelorin-import");
    return ParseImportOptions(static_cast<int>(arguments.size()), arguments.data());
}

TEST(Options, ValuesInBothSpellingsAnywhereSeveralInputsAndHelpWinning) {
    const ParsedOptions all =
        Parse({"--size=64", "in.tif", "--metres-per-level", "2.5", "out", "--resampling", "mode", "--force",
               "--band=2", "--format", "npy"});
    ASSERT_EQ(all.error, "");
    EXPECT_EQ(all.options.inputs, std::vector<std::string>{"in.tif"});
    EXPECT_EQ(all.options.outputDir, "out");
    EXPECT_EQ(all.options.size, 64);
    EXPECT_EQ(all.options.metresPerLevel, 2.5);
    EXPECT_EQ(all.options.resampling, Resampling::mode);
    EXPECT_TRUE(all.options.force);
    EXPECT_EQ(all.options.band, 2);
    EXPECT_EQ(all.options.format, DataFormat::npy);
    EXPECT_EQ(Parse({"in", "out"}).options.format, DataFormat::text);
    EXPECT_EQ(Parse({"--", "-in.tif", "out"}).options.inputs, std::vector<std::string>{"-in.tif"});
    // Every operand but the last is an input.
    const ParsedOptions series = Parse({"a.txt", "--size", "5", "b.txt", "c.txt", "out"});
    EXPECT_EQ(series.options.inputs, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(series.options.outputDir, "out");
    EXPECT_TRUE(Parse({"--size", "0", "--help"}).options.help);
}

TEST(Options, RefusalsSayWhatWasWrong) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"a", "b", "--size", "0"}, "--size must be a whole number from 1 to 65536, not '0'"},
        {{"a", "b", "--size", "65537"}, "--size must be a whole number from 1 to 65536, not '65537'"},
        {{"a", "b", "--size", "12x"}, "--size must be a whole number from 1 to 65536, not '12x'"},
        {{"a", "b", "--size", " 12"}, "--size must be a whole number from 1 to 65536, not ' 12'"},
        {{"a", "b", "--levels", "0"}, "--levels must be a whole number from 1 to 1000000000, not '0'"},
        {{"a", "b", "--metres-per-level", "-1"}, "--metres-per-level must be a positive number, not '-1'"},
        {{"a", "b", "--metres-per-level", "inf"}, "--metres-per-level must be a positive number, not 'inf'"},
        {{"a", "b", "--levels", "5", "--metres-per-level", "1"}, "give --levels or --metres-per-level, not both"},
        {{"a", "b", "--resampling", "lanczos"},
         "--resampling must be average, bilinear, cubic, nearest or mode, not 'lanczos'"},
        {{"a", "b", "--band", "0"}, "--band must be a whole number from 1 up, not '0'"},
        {{"a", "b", "--format", "csv"}, "--format must be text or npy, not 'csv'"},
        {{"a", "b", "--size"}, "--size needs a value"},
        {{"a", "b", "--sise", "5"}, "unknown option '--sise' (see pelorin-import --help)"},
        {{"a"}, "expected INPUT and OUTDIR, got 1 operand (see pelorin-import --help)"},
    };
    for (const auto& [arguments, error] : cases) EXPECT_EQ(Parse(arguments).error, error);
}

TEST(Options, LevelsAsIsAndCellMetres) {
    const ParsedOptions good = Parse({"in", "out", "--levels-as-is", "--cell-metres=40075017"});
    ASSERT_EQ(good.error, "");
    EXPECT_TRUE(good.options.levelsAsIs);
    EXPECT_EQ(good.options.cellMetres, 40075017);
    const std::string cellMetres =
        "--cell-metres must be a positive number of metres, at most 40075017 (the Earth's circumference), not ";
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"a", "b", "--levels-as-is", "--levels", "5"}, "give --levels or --levels-as-is, not both"},
        {{"a", "b", "--metres-per-level", "2", "--levels-as-is"},
         "give --metres-per-level or --levels-as-is, not both"},
        {{"a", "b", "--cell-metres", "0"}, cellMetres + "'0'"},
        {{"a", "b", "--cell-metres", "-3"}, cellMetres + "'-3'"},
        {{"a", "b", "--cell-metres", "nan"}, cellMetres + "'nan'"},
        {{"a", "b", "--cell-metres", "1e400"}, cellMetres + "'1e400'"},
        {{"a", "b", "--cell-metres", "40075017.5"}, cellMetres + "'40075017.5'"},
        {{"a", "b", "--cell-metres", "30m"}, cellMetres + "'30m'"},
    };
    for (const auto& [arguments, error] : cases) EXPECT_EQ(Parse(arguments).error, error);
}

}  // namespace
