#include "import_options.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "messages.h"
#include "output_files.h"

namespace {

constexpr Resampling resamplings[] = {Resampling::average, Resampling::bilinear, Resampling::cubic,
                                       Resampling::nearest, Resampling::mode};

// A whole decimal number and nothing else (no blanks, no sign but '-').
bool ParseWhole(const std::string& text, long long& value) {
    if (text.empty() || !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool ParsePositive(const std::string& text, double& value) {
    if (text.empty() || std::strchr("0123456789.", text[0]) == nullptr) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && value > 0;
}

// Applies one option that takes a value; gives the error text or "".
std::string ApplyValue(const std::string& name, const std::string& value, ImportOptions& options) {
    long long whole = 0;
    if (name == "--size") {
        if (!ParseWhole(value, whole) || whole < 1 || whole > maxGridSize)
            return "--size must be a whole number from 1 to " + std::to_string(maxGridSize) + ", not " +
                   Quoted(value);
        options.size = static_cast<int>(whole);
    } else if (name == "--levels") {
        if (!ParseWhole(value, whole) || whole < 1 || whole > 1000000000)
            return "--levels must be a whole number from 1 to 1000000000, not " + Quoted(value);
        options.levels = static_cast<int>(whole);
        options.levelsGiven = true;
    } else if (name == "--band") {
        if (!ParseWhole(value, whole) || whole < 1 || whole > INT_MAX)
            return "--band must be a whole number from 1 up, not " + Quoted(value);
        options.band = static_cast<int>(whole);
    } else if (name == "--metres-per-level") {
        if (!ParsePositive(value, options.metresPerLevel))
            return "--metres-per-level must be a positive number, not " + Quoted(value);
    } else if (name == "--cell-metres") {
        // A cell of the Earth is no larger than the Earth.
        if (!ParsePositive(value, options.cellMetres) || options.cellMetres > earthCircumferenceMetres)
            return "--cell-metres must be a positive number of metres, at most " +
                   std::to_string(static_cast<long long>(earthCircumferenceMetres)) +
                   " (the Earth's circumference), not " + Quoted(value);
    } else if (name == "--format") {
        if (value != "text" && value != "npy") return "--format must be text or npy, not " + Quoted(value);
        options.format = value == "npy" ? DataFormat::npy : DataFormat::text;
    } else {  // --resampling
        for (Resampling resampling : resamplings)
            if (value == ResamplingName(resampling)) {
                options.resampling = resampling;
                return "";
            }
        return "--resampling must be average, bilinear, cubic, nearest or mode, not " + Quoted(value);
    }
    return "";
}

bool TakesValue(const std::string& name) {
    return name == "--size" || name == "--levels" || name == "--metres-per-level" || name == "--resampling" ||
           name == "--band" || name == "--format" || name == "--cell-metres";
}

}  // namespace

const char* ResamplingName(Resampling resampling) {
    switch (resampling) {
        case Resampling::average: return "average";
        case Resampling::bilinear: return "bilinear";
        case Resampling::cubic: return "cubic";
        case Resampling::nearest: return "nearest";
        case Resampling::mode: return "mode";
    }
    return "average";
}

const char* DataEnding(DataFormat format) { return format == DataFormat::npy ? ".npy" : ".txt"; }

ParsedOptions ParseImportOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    ImportOptions& options = parsed.options;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            options.help = true;
            return parsed;
        }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--force") {
            options.force = true;
            continue;
        }
        if (arg == "--levels-as-is") {
            options.levelsAsIs = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (!TakesValue(name)) {
            parsed.error = "unknown option " + Quoted(arg) + " (see pelorin-import --help)";
            return parsed;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            parsed.error = name + " needs a value";
            return parsed;
        }
        parsed.error = ApplyValue(name, value, options);
        if (!parsed.error.empty()) return parsed;
    }
    if (options.levelsGiven && options.metresPerLevel > 0) {
        parsed.error = "give --levels or --metres-per-level, not both";
    } else if (options.levelsAsIs && (options.levelsGiven || options.metresPerLevel > 0)) {
        parsed.error = std::string("give ") + (options.levelsGiven ? "--levels" : "--metres-per-level") +
                       " or --levels-as-is, not both";
    } else if (operands.size() < 2) {
        parsed.error = "expected INPUT and OUTDIR, got " + std::to_string(operands.size()) +
                       " operand" + (operands.size() == 1 ? "" : "s") + " (see pelorin-import --help)";
    } else {
        options.outputDir = operands.back();
        operands.pop_back();
        options.inputs = std::move(operands);
    }
    return parsed;
}

std::string ImportUsage() {
    return "usage: pelorin-import INPUT OUTDIR [options]\n"
           "       pelorin-import INPUT... OUTDIR [options]\n"
           "\n"
           "Converts band 1 (or --band N) of an elevation raster that GDAL reads (GeoTIFF,\n"
           "ESRI ASCII grid, SRTM .hgt, 16-bit PNG, netCDF, ...), or a text matrix, into\n"
           "OUTDIR/data.txt and OUTDIR/config.txt, so that `cd OUTDIR && pelorin` shows the\n"
           "terrain.\n"
           "\n"
           "Several inputs, or one quoted glob such as 'frames/*.txt' (its matches in the\n"
           "order of the numbers in their names: h-2 before h-10), make a series: one data\n"
           "file for each input, in that order, OUTDIR/frame-00001.txt, frame-00002.txt\n"
           "and on, and a config.txt with data/series = frame-%05d.txt. The frames share\n"
           "one mapping from the lowest value of the whole series to the highest, so a\n"
           "level is the same height in every frame. They must all be of one size.\n"
           "\n"
           "Options:\n"
           "  --size N                cells per side of the square grid, 1 to 65536, as\n"
           "                          far as this machine's memory allows (default: the\n"
           "                          input's larger side, its full resolution)\n"
           "  --levels L              L height levels from the lowest valid cell to the\n"
           "                          highest: heights 0 to L-1 (default 24; for a text\n"
           "                          matrix of whole numbers, one level per unit unless\n"
           "                          its columns would stand as a needle, 8 times as\n"
           "                          tall as the grid is wide or more)\n"
           "  --metres-per-level M    instead of --levels: one level per M metres above the\n"
           "                          lowest valid cell (heights, and a text matrix's\n"
           "                          values, are taken as metres)\n"
           "  --levels-as-is          instead of --levels: one level per unit of the\n"
           "                          values above the lowest valid cell, needle or not\n"
           "  --cell-metres X         the ground size of a source cell in metres, for the\n"
           "                          scale bar, for a text matrix or a raster without a\n"
           "                          coordinate system (it wins over one, too)\n"
           "  --resampling ALG        average, bilinear, cubic, nearest or mode\n"
           "                          (default average)\n"
           "  --band N                the band to read, from 1 (default 1); a colour or\n"
           "                          palette image is refused without it\n"
           "  --format FMT            text (data.txt, frame-00001.txt, ...) or npy:\n"
           "                          data.npy, frame-00001.npy, ..., 32-bit integer\n"
           "                          arrays as numpy.save writes them (default text)\n"
           "  --force                 overwrite OUTDIR's data file and config.txt, or a\n"
           "                          series' frames and config.txt (the frames of an\n"
           "                          earlier series, longer or in the other format,\n"
           "                          are removed)\n"
           "  --help                  print this text\n"
           "\n"
           "A text matrix is a file that GDAL cannot read holding numbers (such as 12,\n"
           "-0.5 or 1.000000000000000000e+00) separated by blanks, tabs or commas, one row\n"
           "a line, as numpy's savetxt writes an array; lines starting with # are skipped,\n"
           "and NaN and inf are holes. Its first line is the northern edge, as a\n"
           "picture's top row is: the last row of data.txt. Its cells are taken as square,\n"
           "of no known size unless --cell-metres gives one.\n"
           "\n"
           "A raster that is not square is fitted into the square with its shape kept;\n"
           "the rest of the square, and the nodata and NaN cells, become holes (height\n"
           "-1). Rasters in degrees are measured in metres along the ground; one with a\n"
           "geotransform but no coordinate system is taken as degrees when its extent is\n"
           "one of longitude and latitude, else its cells as square (a warning says\n"
           "which). The first row of data.txt is the southern edge: x runs east, y north,\n"
           "z up. Where the heights are metres (the band's unit is metres, or\n"
           "--metres-per-level given), config.txt also gives data/metres-per-level and\n"
           "data/level-0-metres; heights of no stated unit are called units.\n";
}
