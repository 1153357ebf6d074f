// The command line of pelorin-render.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct RenderOptions {
    std::string output = "pelorin.png";
    int width = 800;
    int height = 600;
    // Samples per pixel along each axis.
    int supersample = 1;
    bool transparent = false;
    // Pictures around the vertical axis; 0 for one picture.
    int turntable = 0;
    // A picture of every frame of the series in config.txt, or of the
    // frames firstFrame to lastFrame (counted from 1; 0: to the last).
    bool series = false;
    int firstFrame = 1;
    int lastFrame = 0;
    std::string video;
    // The film's pictures a second; 0: data/frames-per-second for a series,
    // 30 for a turntable.
    double fps = 0;
    bool quiet = false;
    // Pixels (from the picture's top left) to say what they show, in the
    // order given, after the picture is drawn.
    std::vector<std::pair<int, int>> probes;
    bool help = false;
    // For tests: tiles of at most this many samples a side (0: what the
    // context allows), and the impostors' refusals forced.
    int largestTile = 0;
    int largestChunk = 0;  // --chunk; 0: what the driver allows
    bool refuseShaders = false;
    bool refuseGpuBuffer = false;
};

// The largest picture side and sampling accepted.
constexpr int largestPictureSide = 16384;
constexpr int largestSupersample = 16;
// The film rates accepted, in pictures a second.
constexpr double lowestFilmRate = 0.01, highestFilmRate = 1000;
// A rate as ffmpeg and people read it: "10", "12.5".
std::string FilmRateText(double rate);

struct ParsedOptions {
    RenderOptions options;
    // What is wrong with the command line, or "" when nothing is.
    std::string error;
};

ParsedOptions ParseRenderOptions(const std::vector<std::string>& arguments);

// What --help prints.
std::string RenderUsage();

// The file of picture `index` (from 1) of a turntable or a series written
// to `output`: out.png gives out-0001.png.
std::string NumberedPictureName(const std::string& output, int index);
// All of them as one printf pattern, out-%04d.png, for a film's encoder.
std::string NumberedPattern(const std::string& output);
