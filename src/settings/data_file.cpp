#include "keys.h"
#include "data_file.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <vector>
#include <streambuf>

#include "config_store.h"
#include "frame_read.h"
#include "grid_reading.h"
#include "input_file.h"
#include "key_reader.h"
#include "point_limit.h"
#include "point_loader.h"
#include "printable_text.h"
#include "frame_files.h"

namespace {

// Gives what another buffer gives, but cannot seek: the loader then learns
// no size to take memory for the whole file at once.
class UnsizedReader : public std::streambuf {
public:
    explicit UnsizedReader(std::streambuf& source) : source_(source) {}

protected:
    int_type underflow() override {
        const std::streamsize got = source_.sgetn(block_, sizeof block_);
        if (got <= 0) return traits_type::eof();
        setg(block_, block_, block_ + got);
        return traits_type::to_int_type(block_[0]);
    }

private:
    std::streambuf& source_;
    char block_[4096];
};

bool HoldsPoint(const HeightGrid& grid) {
    return std::any_of(grid.heights.begin(), grid.heights.end(), [](std::int32_t h) { return h >= 0; });
}

// What a look at a frame tells: whether it can be read, whether its grid
// holds a point, and if not the warning that says why it is stepped over.
struct FrameLook {
    bool readable = false;
    bool holdsPoint = false;
    std::string warning;
};

// A binary or .asc frame is read whole: its cells are a fraction of what
// its points would be.
FrameLook LookAtGridFrame(FrameRead& frame, std::istream& in, const LevelMapping& mapping) {
    HeightGrid grid;
    frame.refused = ReadGridFile(in, frame.file, grid, MaxLoadableCells(), mapping).refused;
    if (!frame.refused.empty()) return {false, false, FrameProblem(frame, 0)};
    const bool holdsPoint = HoldsPoint(grid);
    return {true, holdsPoint, holdsPoint ? "" : "frame '" + frame.file + "' holds no points; skipped"};
}

// Reads the frame only as far as its first point.
FrameLook LookAtFrame(const std::string& file, const LevelMapping& mapping) {
    FrameRead frame;
    frame.file = file;
    std::vector<double> x, y, z;
    std::ifstream in;
    frame.opened = OpenInput(in, file) == InputOpening::opened;
    if (frame.opened && IsGridFile(file)) return LookAtGridFrame(frame, in, mapping);
    if (frame.opened) {
        UnsizedReader unsized(*in.rdbuf());
        std::istream text(&unsized);
        // With no point allowed, reading stops at the first point found.
        frame.outcome = LoadPoints(text, x, y, z, 0);
        if (frame.outcome.end == LoadOutcome::End::refused) return {true, true, ""};
    }
    if (!frame.opened) return {false, false, FrameProblem(frame, 0)};
    const std::string ended = FrameProblem(frame, 0);
    return {true, false, ended.empty() ? "frame '" + file + "' holds no points; skipped" : ended + "; skipped"};
}

// The frame a series opens on: its first that can be read and holds a
// point, else its first that can be read. Each frame stepped over on the way
// gets its warning; "" after an error when there is no such frame.
std::string OpeningFrame(const std::string& pattern, const LevelMapping& mapping, Diagnostics& diagnostics) {
    const std::vector<std::string> files = SeriesFiles(pattern);
    if (files.empty()) {
        diagnostics.Error("data/series '" + PrintableText(pattern) + "' names no file");
        return "";
    }
    std::vector<std::string> warnings;
    std::size_t firstReadable = files.size();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FrameLook look = LookAtFrame(files[i], mapping);
        if (look.holdsPoint) {
            firstReadable = i;
            break;
        }
        if (look.readable && firstReadable == files.size()) firstReadable = i;
        warnings.push_back(look.warning);
    }
    for (std::size_t i = 0; i < std::min(firstReadable, warnings.size()); ++i) diagnostics.Warning(warnings[i]);
    if (firstReadable < files.size()) return files[firstReadable];
    diagnostics.Error("data/series '" + PrintableText(pattern) + "': " +
                      (files.size() == 1 ? "its one frame cannot be read"
                                         : "none of its " + std::to_string(files.size()) + " frames can be read"));
    return "";
}

// Whether the frame can be read to its end and holds a point.
bool WholeFrame(const std::string& file, const LevelMapping& mapping) {
    std::ifstream in;
    if (OpenInput(in, file) != InputOpening::opened) return false;
    HeightGrid grid;
    const GridReading reading = ReadGridFile(in, file, grid, MaxLoadableCells(), mapping);
    return reading.refused.empty() && reading.outcome.end == LoadOutcome::End::complete && HoldsPoint(grid);
}

// The frame each series opened on. The viewer asks twice, through each of
// its two stores of config.txt: the frames are looked at, and their warnings
// said, once.
std::map<std::string, std::string>& OpenedFrames() {
    static std::map<std::string, std::string> opened;
    return opened;
}

bool Watched(const ConfigStore& config) {
    CollectedDiagnostics quiet;
    const KeyEntry* watch = FindKey("data/watch");
    return watch != nullptr && KeyReader(config, quiet).OnOff(*watch);
}

}  // namespace

std::string FirstDataFile(const ConfigStore& config, Diagnostics& diagnostics) {
    const KeyReader read(config, diagnostics);
    const std::string pattern = read.Text(keys::series);
    if (pattern.empty()) return read.Text(keys::dataFile);
    const auto known = OpenedFrames().find(pattern);
    if (known != OpenedFrames().end()) return known->second;
    return OpenedFrames()[pattern] = OpeningFrame(pattern, LevelMappingFor(config), diagnostics);
}

std::string NewestWholeFrame(const std::string& pattern, const LevelMapping& mapping) {
    const std::vector<std::string> files = SeriesFiles(pattern);
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        if (WholeFrame(*file, mapping)) return *file;
    }
    return "";
}

std::string FollowedSeries(const ConfigStore& config) {
    CollectedDiagnostics quiet;
    return Watched(config) ? KeyReader(config, quiet).Text(keys::series) : "";
}

std::string FollowedDataFile(const ConfigStore& config, Diagnostics& diagnostics) {
    const std::string pattern = FollowedSeries(config);
    if (pattern.empty() || OpenedFrames().count(pattern) > 0) {
        return FirstDataFile(config, diagnostics);
    }
    const std::string newest = NewestWholeFrame(pattern, LevelMappingFor(config));
    if (newest.empty()) return FirstDataFile(config, diagnostics);
    return OpenedFrames()[pattern] = newest;
}

SurfaceUse SurfaceUseFor(const ConfigStore& config) {
    // The one key alone: reading them all would say the tessellation's line
    // a second time.
    CollectedDiagnostics quiet;
    const KeyEntry* renderer = FindKey("display/renderer");
    const bool impostors = renderer != nullptr && KeyReader(config, quiet).Choice(*renderer) == 1;
    return impostors ? SurfaceUse::grid : SurfaceUse::points;
}

LevelMapping LevelMappingOf(const SeriesSettings& series) {
    LevelMapping mapping;
    if (series.metresPerLevel > 0) mapping.metresPerLevel = series.metresPerLevel;
    mapping.levelZeroMetres = series.levelZeroMetres;
    return mapping;
}

LevelMapping LevelMappingFor(const ConfigStore& config) {
    CollectedDiagnostics quiet;
    const KeyReader read(config, quiet);
    // The two keys alone, through their entries: reading them all would say
    // the tessellation's line a second time.
    SceneSettings settings;
    for (const char* name : {"data/metres-per-level", "data/level-0-metres"}) {
        if (const KeyEntry* key = FindKey(name)) key->apply(read, *key, settings);
    }
    return LevelMappingOf(settings.series);
}
