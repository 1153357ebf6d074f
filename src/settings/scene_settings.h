// Everything "config.txt" says about how the scene looks, read by one
// function, so the viewer and the picture renderer take the same keys, the
// same defaults and give the same messages.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "camera_keys.h"
#include "diagnostics.h"
#include "vec3.h"

class ConfigStore;

enum class Renderer { lists, impostors };

// The levels that the height colours run between.
struct ColourRange {
    double lowest = 0;
    double highest = 0;
};

// The opt-in display choices; each default is the picture of the plain viewer.
struct DisplayOptions {
    // "display/cull-hidden" = 1: leave out spheres no camera outside the
    // solid can see.
    bool cullHidden = false;
    // "display/fit-view" = 1: start with the whole point set in view.
    bool fitView = false;
    // "display/fit-view" = grow: fitted, and fitted again whenever a frame
    // of a series reaches beyond what the view was fitted to; never closer.
    bool fitGrow = false;
    // "display/colour" = height: spheres coloured by level instead of red.
    bool colourByHeight = false;
    // "display/renderer": the display lists, or ray-cast sphere impostors.
    Renderer renderer = Renderer::lists;
    // "display/level-of-detail" = 0: the impostors draw every sphere even
    // where it shows smaller than a pixel or two; by default far tiles draw
    // coarser stand-ins.
    bool levelOfDetail = true;
    // "display/antialias" = N: the viewer's window keeps N samples a pixel
    // (multisampling), where the display offers them; by default one.
    int antialias = 1;
    // "display/keys" = extended: the viewer's keys beyond the standard ones.
    bool extendedKeys = false;
    // "display/colour-range" = 'LOW HIGH': the levels the height colours run
    // between; unset, those of the point set (the first frame of a series).
    std::optional<ColourRange> colourRange;
    // "display/colour-range" = auto: the colours span the levels the top
    // surface spans, its 1st to 99th percentile, not the whole height.
    bool colourRangeAuto = false;
    // "display/colour-range" = grow: the first frame's levels, widened
    // whenever a frame goes beyond them and never narrowed, so frames
    // already drawn keep their colours.
    bool colourRangeGrow = false;
    // "display/caption": a line of text on the picture, its ${...}
    // expressions worked out for each frame shown (caption_text.h).
    std::string caption;
    // "display/floor" = LEVEL: the impostors draw no sphere below LEVEL;
    // the columns start there. 0 draws them all.
    std::int32_t floor = 0;
    // "display/legend" = 1: a colour bar with its values on the picture.
    bool legend = false;
    // "display/ambient-occlusion" = 1: each sphere lit by the share of the
    // sky its neighbouring columns leave it.
    bool ambientOcclusion = false;
    // "display/outlines" = 1: with impostors, dark lines where depth jumps.
    bool outlines = false;
    // "display/axes" = 1: an orientation tripod in a corner, and a scale bar
    // when the ground size of a cell is known.
    bool axes = false;
    CameraKeys camera;
};

// A series of height files, and how they are shown.
struct SeriesSettings {
    // "data/series": a printf pattern (frames/h-%05d.txt) or a glob
    // (frames/*.txt) naming the frames; empty for the single "data/file".
    std::string pattern;
    // "data/frames-per-second": how fast space plays the series.
    double framesPerSecond = 10;
    // "data/watch" = 1: follow the file or series as it changes on disk.
    bool watch = false;
    // "data/metres-per-level": what one level is in metres, for the legend's
    // values; 0 gives them in levels. "data/level-0-metres": the height of
    // level 0 in metres.
    double metresPerLevel = 0;
    double levelZeroMetres = 0;
    // "data/cell-metres": the ground size of a grid cell in metres, for the
    // scale bar; 0 when unknown.
    double cellMetres = 0;
    // "data/origin" = 'X Y' and "data/cell-size" = 'DX DY': the grid's
    // south-west corner and a cell's width and depth in the coordinates of
    // a map, "data/crs" their coordinate system ("" when not named).
    std::optional<std::array<double, 2>> origin;
    std::optional<std::array<double, 2>> cellSize;
    std::string crs;
};

struct SceneSettings {
    double sphereRadius = 0.75;
    // Slices and stacks of every sphere.
    int sphereTesel = 6;
    DisplayOptions options;
    SeriesSettings series;
};

// Reads the keys through the table of keys (keys.h), section by section in
// the table's order: [display], [camera], then [data] ("data/file" is
// FirstDataFile's). A value a key cannot take gives one warning to
// `diagnostics` and the key's default; only the sphere's radius and
// tessellation fall back to theirs without a word (a silent report), as they
// always have. The tessellation's look-up writes its "## original = " line
// to the store's own diagnostics.
SceneSettings ReadSceneSettings(const ConfigStore& store, Diagnostics& diagnostics = ProgramDiagnostics());

// "camera/azimuth" and "camera/elevation" in degrees, "camera/distance" and
// "camera/center", three numbers in apostrophes ('X Y Z'), since blanks end a
// value. A value that is not a number (or not three, or has more words after
// them), or an angle too large to turn into radians, gives one warning to
// `diagnostics` and is left unset.
CameraKeys ReadCameraKeys(const ConfigStore& store, Diagnostics& diagnostics = ProgramDiagnostics());
