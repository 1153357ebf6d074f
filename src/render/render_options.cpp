#include "render_options.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

// A whole number from `low` to `high`, written with nothing after it.
bool WholeNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool Size(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    return x != std::string::npos && WholeNumber(text.substr(0, x), 1, largestPictureSide, width) &&
           WholeNumber(text.substr(x + 1), 1, largestPictureSide, height);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// FIRST-LAST, either side may be left out: "5-", "-20", "7".
bool FrameRange(const std::string& text, int& first, int& last) {
    const std::size_t dash = text.find('-');
    const std::string from = dash == std::string::npos ? text : text.substr(0, dash);
    const std::string to = dash == std::string::npos ? text : text.substr(dash + 1);
    first = 1, last = 0;
    if (!from.empty() && !WholeNumber(from, 1, 1000000000, first)) return false;
    if (!to.empty() && !WholeNumber(to, 1, 1000000000, last)) return false;
    return (!from.empty() || !to.empty()) && (last == 0 || first <= last);
}

// A film's rate: a positive number of pictures a second, within bounds.
bool FilmRate(const std::string& text, double& rate) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || errno != 0) return false;
    if (!(value >= lowestFilmRate && value <= highestFilmRate)) return false;
    rate = value;
    return true;
}

std::string Checked(const RenderOptions& o) {
    if (o.output.empty()) return "-o needs a file name";
    if (o.series && o.turntable > 0) return "--series and --turntable each draw a sequence of their own; choose one";
    if (!o.video.empty() && o.turntable == 0 && !o.series) {
        return "--video needs --turntable N or --series: a film of one picture is no film";
    }
    if (o.fps > 0 && o.video.empty()) return "--fps needs --video: it is the film's rate";
    for (const auto& [x, y] : o.probes) {
        if (x >= o.width || y >= o.height) {
            return "--probe " + std::to_string(x) + "," + std::to_string(y) + " lies outside the " +
                   std::to_string(o.width) + "x" + std::to_string(o.height) + " picture";
        }
    }
    return "";
}

// X,Y: a pixel counted from the picture's top left, each from 0.
bool Pixel(const std::string& text, std::pair<int, int>& pixel) {
    const std::size_t comma = text.find(',');
    return comma != std::string::npos && WholeNumber(text.substr(0, comma), 0, largestPictureSide - 1, pixel.first) &&
           WholeNumber(text.substr(comma + 1), 0, largestPictureSide - 1, pixel.second);
}

}  // namespace

std::string FilmRateText(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", rate);
    return text;
}

ParsedOptions ParseRenderOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    RenderOptions& o = parsed.options;
    const std::string sides = std::to_string(largestPictureSide);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= arguments.size()) return false;
            into = arguments[++i];
            return true;
        };
        std::string text;
        if (option == "--help" || option == "-h") {
            o.help = true;
        } else if (option == "--quiet") {
            o.quiet = true;
        } else if (option == "--transparent") {
            o.transparent = true;
        } else if (option == "-o" || option == "--output") {
            if (!value(o.output)) return {o, option + " needs a file name"};
        } else if (option == "--size") {
            if (!value(text) || !Size(text, o.width, o.height)) {
                return {o, "--size needs WIDTHxHEIGHT, each from 1 to " + sides + " pixels (such as 1920x1080)"};
            }
        } else if (option == "--supersample") {
            if (!value(text) || !WholeNumber(text, 1, largestSupersample, o.supersample)) {
                return {o, "--supersample needs N from 1 to " + std::to_string(largestSupersample)};
            }
        } else if (option == "--turntable") {
            if (!value(text) || !WholeNumber(text, 1, 100000, o.turntable)) {
                return {o, "--turntable needs a number of pictures from 1 to 100000"};
            }
        } else if (option == "--series") {
            o.series = true;
        } else if (option == "--frames") {
            o.series = true;
            if (!value(text) || !FrameRange(text, o.firstFrame, o.lastFrame)) {
                return {o, "--frames needs FIRST-LAST, frames counted from 1 (such as 5-20, 5- or -20)"};
            }
        } else if (option == "--tile") {
            if (!value(text) || !WholeNumber(text, 1, largestPictureSide, o.largestTile)) {
                return {o, "--tile needs N from 1 to " + sides + " samples"};
            }
        } else if (option == "--chunk") {
            if (!value(text) || !WholeNumber(text, 1, 1 << 30, o.largestChunk)) {
                return {o, "--chunk needs N from 1 to " + std::to_string(1 << 30) + " spheres"};
            }
        } else if (option == "--refuse-shaders") {
            o.refuseShaders = true;
        } else if (option == "--refuse-gpu-buffer") {
            o.refuseGpuBuffer = true;
        } else if (option == "--probe") {
            std::pair<int, int> pixel;
            if (!value(text) || !Pixel(text, pixel)) {
                return {o, "--probe needs X,Y, a pixel counted from the picture's top left, each from 0 (such as "
                           "400,300)"};
            }
            o.probes.push_back(pixel);
        } else if (option == "--fps") {
            if (!value(text) || !FilmRate(text, o.fps)) {
                return {o, "--fps needs a number of pictures a second from " + FilmRateText(lowestFilmRate) + " to " +
                               FilmRateText(highestFilmRate)};
            }
        } else if (option == "--video") {
            if (!value(o.video) || o.video.empty()) return {o, "--video needs a file name"};
        } else {
            return {o, "unknown option '" + option + "' (see pelorin-render --help)"};
        }
    }
    parsed.error = o.help ? "" : Checked(o);
    return parsed;
}

std::string RenderUsage() {
    return "usage: pelorin-render [options]\n"
           "Draws the scene of config.txt in the working directory into a PNG file,\n"
           "with no window and no display server.\n"
           "\n"
           "  -o FILE.png         the picture (default pelorin.png)\n"
           "  --size WxH          its size in pixels (default 800x600; each side at most " +
           std::to_string(largestPictureSide) +
           ")\n"
           "  --supersample N     N x N samples a pixel, averaged (default 1, at most " +
           std::to_string(largestSupersample) +
           ")\n"
           "  --transparent       an alpha channel: the background is transparent\n"
           "  --turntable N       N pictures evenly around the vertical axis through the\n"
           "                      look-at point, FILE-0001.png and on; the scene is\n"
           "                      loaded once\n"
           "  --series            a picture of every frame of data/series in config.txt,\n"
           "                      FILE-0001.png and on, with the first frame's camera\n"
           "                      and colours; frames are read ahead\n"
           "  --frames FIRST-LAST only these frames of the series (from 1)\n"
           "  --video FILE.mp4    with --turntable or --series, also a film of the\n"
           "                      pictures (ffmpeg)\n"
           "  --fps N             the film's pictures a second (default: a series'\n"
           "                      data/frames-per-second, 30 for a turntable)\n"
           "  --probe X,Y         after drawing, say what pixel (X, Y) shows, counted from\n"
           "                      the top left: column, row and level; may be repeated;\n"
           "                      with --series or --turntable, after each picture's\n"
           "                      'wrote' line\n"
           "  --quiet             no progress line on standard error\n"
           "  --help              this text\n"
           "For tests:\n"
           "  --tile N            draw in tiles of at most N samples a side\n"
           "  --chunk N           the impostors' buffer seen N spheres at a time, as if\n"
           "                      the driver's buffer textures held no more\n"
           "  --refuse-shaders    as if the context could not run the impostors' shaders\n"
           "  --refuse-gpu-buffer as if it could not hold the impostors' spheres\n";
}

namespace {

std::string Stem(const std::string& output) {
    return EndsWith(output, ".png") ? output.substr(0, output.size() - 4) : output;
}

}  // namespace

std::string NumberedPictureName(const std::string& output, int index) {
    char number[16];
    std::snprintf(number, sizeof number, "-%04d.png", index);
    return Stem(output) + number;
}

std::string NumberedPattern(const std::string& output) {
    std::string pattern;
    for (char c : Stem(output)) pattern += c == '%' ? "%%" : std::string(1, c);
    return pattern + "-%04d.png";
}
