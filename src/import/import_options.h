// The command line of pelorin-import: INPUT... OUTDIR and the options, parsed
// without side effects so that a bad option is refused before anything is
// read or written.
#pragma once

#include <string>
#include <vector>

enum class Resampling { average, bilinear, cubic, nearest, mode };

constexpr int maxGridSize = 4096;         // the largest --size
constexpr int defaultGridSizeCap = 1024;  // the default size is the raster's larger side, at most this
constexpr int defaultLevels = 24;

struct ImportOptions {
    std::vector<std::string> inputs;  // one, or the frames of a series (globs not yet expanded)
    std::string outputDir;
    int size = 0;  // cells per side; 0: the raster's larger side, at most defaultGridSizeCap
    int levels = defaultLevels;  // heights 0 to levels - 1; unused when metresPerLevel > 0
    bool levelsGiven = false;    // --levels was given
    double metresPerLevel = 0;  // > 0 when --metres-per-level was given
    Resampling resampling = Resampling::average;
    // --band: the band to read, from 1; 0 when not given, when band 1 is read
    // unless the raster is a colour or palette image, which is refused.
    int band = 0;
    bool force = false;
    bool help = false;  // --help: print the usage and do nothing else
};

struct ParsedOptions {
    ImportOptions options;
    std::string error;  // empty when the command line is good; otherwise the "error: " line's text
};

// Parses argv[1..argc-1]: the last operand is OUTDIR, the ones before it the
// inputs. Options may come before, between or after the operands, as
// "--size N" or "--size=N"; "--" ends the options. A --help (or -h) among
// the options wins: nothing else is checked.
ParsedOptions ParseImportOptions(int argc, const char* const* argv);

// The text --help prints.
std::string ImportUsage();

// "average", "bilinear", ...: the option's spelling of `resampling`.
const char* ResamplingName(Resampling resampling);
