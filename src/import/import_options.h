// The command line of pelorin-import: INPUT... OUTDIR and the options, parsed
// without side effects so that a bad option is refused before anything is
// read or written.
#pragma once

#include <string>
#include <vector>

enum class Resampling { average, bilinear, cubic, nearest, mode };

// How the heights are written: a data file of text, or an .npy array, which
// the viewer reads without parsing and which takes 4 bytes a cell.
enum class DataFormat { text, npy };

// The largest --size; the machine's memory (ImportCellLimit) usually allows
// less.
constexpr int maxGridSize = 65536;
constexpr int defaultLevels = 24;

struct ImportOptions {
    std::vector<std::string> inputs;  // one, or the frames of a series (globs not yet expanded)
    std::string outputDir;
    int size = 0;  // cells per side; 0: the raster's larger side, as far as the cell limit allows
    int levels = defaultLevels;  // heights 0 to levels - 1; unused when metresPerLevel > 0
    bool levelsGiven = false;    // --levels was given
    double metresPerLevel = 0;  // > 0 when --metres-per-level was given
    // --levels-as-is: one level per unit of the values, even where the
    // columns would stand as a needle.
    bool levelsAsIs = false;
    // > 0 when --cell-metres was given: the ground size of a source cell,
    // which wins over what the input's coordinate system says.
    double cellMetres = 0;
    Resampling resampling = Resampling::average;
    DataFormat format = DataFormat::text;
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

// ".txt" or ".npy": the ending of the data files written in `format`.
const char* DataEnding(DataFormat format);
