#include "keys.h"

#include "key_reader.h"
#include "scene_settings.h"

namespace keys {

namespace {

// Where each key's value goes. A number key that is unset or refused keeps
// the default its entry gives, else what the settings already hold.
using Read = const KeyReader&;
using Key = const KeyEntry&;
using Into = SceneSettings&;

DisplayOptions& Display(Into settings) { return settings.options; }
SeriesSettings& Series(Into settings) { return settings.series; }

}  // namespace

const KeyEntry dataFile = Entry("data/file", KeyKind::text, "data.txt", "the data file, from this folder", nullptr);
const KeyEntry series = Entry("data/series", KeyKind::text, nullptr, "printf pattern or glob of a series' frames",
                              [](Read r, Key k, Into s) { Series(s).pattern = r.Text(k); });

namespace {

constexpr KeyEntry framesPerSecond =
    Number("data/frames-per-second", "10", playRate, "how fast space plays a series",
           [](Read r, Key k, Into s) { Series(s).framesPerSecond = r.Number(k).value_or(Series(s).framesPerSecond); });
constexpr KeyEntry watch = Entry("data/watch", KeyKind::onOff, "0", "1: follow the files as they change",
                             [](Read r, Key k, Into s) { Series(s).watch = r.OnOff(k); });
constexpr KeyEntry metresPerLevel =
    Number("data/metres-per-level", nullptr, aboveZero, "metres in one level, for the legend",
           [](Read r, Key k, Into s) { Series(s).metresPerLevel = r.Number(k).value_or(Series(s).metresPerLevel); },
           leftUnset);
constexpr KeyEntry levelZeroMetres =
    Number("data/level-0-metres", nullptr, finite, "height of level 0 in metres",
           [](Read r, Key k, Into s) { Series(s).levelZeroMetres = r.Number(k).value_or(Series(s).levelZeroMetres); },
           leftUnset);
constexpr KeyEntry cellMetres =
    Number("data/cell-metres", nullptr, aboveZero, "ground size of a cell, for the scale bar",
           [](Read r, Key k, Into s) { Series(s).cellMetres = r.Number(k).value_or(Series(s).cellMetres); },
           leftUnset);
constexpr KeyEntry origin = Entry(
    "data/origin", KeyKind::pair, nullptr, "'X Y': the grid's south-west corner on a map",
    [](Read r, Key k, Into s) {
        if (const auto point = r.Numbers(k)) Series(s).origin = std::array<double, 2>{(*point)[0], (*point)[1]};
    },
    leftUnset);
constexpr KeyEntry cellSize = Entry(
    "data/cell-size", KeyKind::size, nullptr, "'DX DY': a cell's width and depth on the map",
    [](Read r, Key k, Into s) {
        if (const auto size = r.Numbers(k)) Series(s).cellSize = std::array<double, 2>{(*size)[0], (*size)[1]};
    },
    leftUnset);
constexpr KeyEntry crs = Entry("data/crs", KeyKind::text, nullptr, "the map's coordinate system, as EPSG:32631",
                               [](Read r, Key k, Into s) { Series(s).crs = r.Text(k); });
constexpr KeyEntry sphereRadius = Entry("display/sphere-r", KeyKind::lookupNumber, "0.75", "radius of every sphere",
                                    [](Read r, Key k, Into s) { s.sphereRadius = r.LookupNumber(k); });
constexpr KeyEntry sphereTesel = Entry("display/sphere-tesel", KeyKind::lookupWhole, "6", "slices and stacks of every sphere",
                                   [](Read r, Key k, Into s) { s.sphereTesel = r.LookupWhole(k); });
constexpr KeyEntry cullHidden = Entry("display/cull-hidden", KeyKind::onOff, "0", "1: leave out spheres no camera can see",
                                  [](Read r, Key k, Into s) { Display(s).cullHidden = r.OnOff(k); });
constexpr KeyEntry fitView = Entry("display/fit-view", KeyKind::onOff, "0", "1: start with every point in view",
                               [](Read r, Key k, Into s) {
                                   if (r.Text(k) == "grow") {
                                       Display(s).fitView = Display(s).fitGrow = true;
                                       return;
                                   }
                                   Display(s).fitView = r.OnOff(k);
                               });
constexpr KeyEntry colour = Choice("display/colour", {"red", "height"}, "red, or height: coloured by level",
                               [](Read r, Key k, Into s) { Display(s).colourByHeight = r.Choice(k) == 1; });
constexpr KeyEntry renderer =
    Choice("display/renderer", {"lists", "impostors"}, "lists, or impostors: fast on big grids",
           [](Read r, Key k, Into s) { Display(s).renderer = r.Choice(k) == 1 ? Renderer::impostors : Renderer::lists; });
constexpr KeyEntry levelOfDetail = Entry("display/level-of-detail", KeyKind::onOff, "1", "0: impostors draw every sphere in full",
                                     [](Read r, Key k, Into s) { Display(s).levelOfDetail = r.OnOff(k); });
constexpr KeyEntry antialias =
    Number("display/antialias", "1", sampleCount, "samples a pixel in the viewer's window", [](Read r, Key k, Into s) {
        Display(s).antialias = static_cast<int>(r.Number(k).value_or(Display(s).antialias));
    });
constexpr KeyEntry keyBindings =
    Choice("display/keys", {"standard", "extended"}, "standard, or extended: keys c, s, r, g, h",
           [](Read r, Key k, Into s) { Display(s).extendedKeys = r.Choice(k) == 1; });
constexpr KeyEntry colourRange = Entry(
    "display/colour-range", KeyKind::lowHigh, nullptr, "'LOW HIGH', or auto: levels the colours span",
    [](Read r, Key k, Into s) {
        if (r.Text(k) == "auto") {
            Display(s).colourRangeAuto = true;
            return;
        }
        if (r.Text(k) == "grow") {
            Display(s).colourRangeGrow = true;
            return;
        }
        if (const auto range = r.Numbers(k)) Display(s).colourRange = ColourRange{(*range)[0], (*range)[1]};
    },
    leftIgnored);
constexpr KeyEntry lowestLevel = Number(
    "display/floor", nullptr, level, "impostors draw no sphere below this level",
    [](Read r, Key k, Into s) {
        Display(s).floor = static_cast<std::int32_t>(r.Number(k).value_or(Display(s).floor));
    },
    leftUnset);
constexpr KeyEntry legend = Entry("display/legend", KeyKind::onOff, "0", "1: a colour bar with its values",
                              [](Read r, Key k, Into s) { Display(s).legend = r.OnOff(k); });
constexpr KeyEntry ambientOcclusion = Entry("display/ambient-occlusion", KeyKind::onOff, "0", "1: spheres lit by the sky they see",
                                        [](Read r, Key k, Into s) { Display(s).ambientOcclusion = r.OnOff(k); });
constexpr KeyEntry outlines = Entry("display/outlines", KeyKind::onOff, "0", "1: impostors outlined where depth jumps",
                                [](Read r, Key k, Into s) { Display(s).outlines = r.OnOff(k); });
constexpr KeyEntry axes = Entry("display/axes", KeyKind::onOff, "0", "1: axes in a corner, and a scale bar",
                            [](Read r, Key k, Into s) { Display(s).axes = r.OnOff(k); });
constexpr KeyEntry caption = Entry("display/caption", KeyKind::text, nullptr, "a line on the picture; ${frame}, ${file}",
                                [](Read r, Key k, Into s) { Display(s).caption = r.Caption(k); });
constexpr KeyEntry azimuth = Entry(
    "camera/azimuth", KeyKind::angle, nullptr, "degrees from +x towards +y",
    [](Read r, Key k, Into s) { Display(s).camera.azimuthDegrees = r.Angle(k); }, leftIgnored);
constexpr KeyEntry elevation = Entry(
    "camera/elevation", KeyKind::angle, nullptr, "degrees above the ground",
    [](Read r, Key k, Into s) { Display(s).camera.elevationDegrees = r.Angle(k); }, leftIgnored);
constexpr KeyEntry distance = Number(
    "camera/distance", nullptr, finiteNumber, "from the look-at point to the eye",
    [](Read r, Key k, Into s) { Display(s).camera.distance = r.Number(k); }, leftIgnored);
constexpr KeyEntry centre = Entry(
    "camera/center", KeyKind::point, nullptr, "'X Y Z': the look-at point",
    [](Read r, Key k, Into s) {
        if (const auto point = r.Numbers(k)) Display(s).camera.centre = Point3{(*point)[0], (*point)[1], (*point)[2]};
    },
    leftIgnored);

}  // namespace
}  // namespace keys

const std::vector<const KeyEntry*>& KeyTable() {
    using namespace keys;
    static const std::vector<const KeyEntry*> table{
        &dataFile,      &series,        &framesPerSecond, &watch,      &metresPerLevel, &levelZeroMetres,
        &cellMetres,    &origin,        &cellSize,        &crs,
        &sphereRadius,  &sphereTesel,     &cullHidden, &fitView,        &colour,
        &renderer,      &levelOfDetail, &antialias,       &keyBindings, &colourRange,   &lowestLevel, &legend,
        &ambientOcclusion, &outlines,   &axes,            &caption,    &azimuth,    &elevation,      &distance,
        &centre,
    };
    return table;
}

const KeyEntry* FindKey(const std::string& name) {
    for (const KeyEntry* key : KeyTable()) {
        if (name == key->name) return key;
    }
    return nullptr;
}
