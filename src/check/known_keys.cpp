#include "known_keys.h"

const std::vector<KnownKey>& KnownKeys() {
    static const std::vector<KnownKey> keys{
        {"data/file", KeyKind::text, "data.txt", "the data file, from this folder"},
        {"data/series", KeyKind::text, nullptr, "printf pattern or glob of a series' frames"},
        {"data/frames-per-second", KeyKind::ownReader, "10", "how fast space plays a series"},
        {"data/watch", KeyKind::ownReader, "0", "1: follow the files as they change"},
        {"data/metres-per-level", KeyKind::ownReader, nullptr, "metres in one level, for the legend"},
        {"data/level-0-metres", KeyKind::ownReader, nullptr, "height of level 0 in metres"},
        {"data/cell-metres", KeyKind::ownReader, nullptr, "ground size of a cell, for the scale bar"},
        {"display/sphere-r", KeyKind::number, "0.75", "radius of every sphere"},
        {"display/sphere-tesel", KeyKind::whole, "6", "slices and stacks of every sphere"},
        {"display/cull-hidden", KeyKind::ownReader, "0", "1: leave out spheres no camera can see"},
        {"display/fit-view", KeyKind::ownReader, "0", "1: start with every point in view"},
        {"display/colour", KeyKind::ownReader, "red", "red, or height: coloured by level"},
        {"display/renderer", KeyKind::ownReader, "lists", "lists, or impostors: fast on big grids"},
        {"display/level-of-detail", KeyKind::ownReader, "1", "0: impostors draw every sphere in full"},
        {"display/antialias", KeyKind::ownReader, "1", "samples a pixel in the viewer's window"},
        {"display/keys", KeyKind::ownReader, "standard", "standard, or extended: keys c, s, r, h"},
        {"display/colour-range", KeyKind::ownReader, nullptr, "'LOW HIGH': levels the colours span"},
        {"display/legend", KeyKind::ownReader, "0", "1: a colour bar with its values"},
        {"display/ambient-occlusion", KeyKind::ownReader, "0", "1: spheres lit by the sky they see"},
        {"display/outlines", KeyKind::ownReader, "0", "1: impostors outlined where depth jumps"},
        {"display/axes", KeyKind::ownReader, "0", "1: axes in a corner, and a scale bar"},
        {"camera/azimuth", KeyKind::ownReader, nullptr, "degrees from +x towards +y"},
        {"camera/elevation", KeyKind::ownReader, nullptr, "degrees above the ground"},
        {"camera/distance", KeyKind::ownReader, nullptr, "from the look-at point to the eye"},
        {"camera/center", KeyKind::ownReader, nullptr, "'X Y Z': the look-at point"},
    };
    return keys;
}

const KnownKey* FindKnownKey(const std::string& name) {
    for (const KnownKey& key : KnownKeys()) {
        if (name == key.name) return &key;
    }
    return nullptr;
}

bool IsReadSection(const std::string& section) {
    return section.empty() || section == "data/" || section == "display/" || section == "camera/";
}
