// Where every impostor sphere goes in the GPU buffer, worked out without
// OpenGL, so that a frame of a series can be made ready on another thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "impostors/impostor_levels.h"
#include "impostors/impostor_tiles.h"
#include "survey/point_view.h"

struct PointSurvey;

// What a frame draws from once the spheres are in the buffer.
struct ImpostorTiles {
    std::vector<SphereTile> tiles;                  // level 0
    std::vector<std::vector<LevelRun>> levelRuns;  // levels 1 and up
    std::uint32_t levelBase = 0;                    // slot of the first level sphere
    std::size_t spheres = 0;                        // at level 0
    float lowest = 0, highest = 0;                  // of all points
};

class ImpostorArrangement {
public:
    // The spheres of `points` (whose survey is `survey`; both must outlive
    // the arrangement) as full detail and, with `levelOfDetail`, coarser
    // levels. `cullHidden` leaves out the spheres their neighbours shut in.
    ImpostorArrangement(const PointView& points, const PointSurvey& survey, double radius, bool cullHidden,
                        bool levelOfDetail);

    ImpostorArrangement(const ImpostorArrangement&) = delete;
    ImpostorArrangement& operator=(const ImpostorArrangement&) = delete;

    // Spheres of every level together.
    std::size_t spheres() const { return layout_.spheres() + levels_.spheres(); }
    // Writes x, y and z of every sphere at its slot: 3 * spheres() floats;
    // and, given `traits`, each one's open faces (a byte a slot) and with
    // `shares` its share of the sky after them (two bytes a slot).
    void Place(float* out, unsigned char* traits = nullptr, bool shares = false) const;
    ImpostorTiles Tiles() const;

private:
    const std::vector<bool> noneLeftOut_;
    const double radius_;
    const SphereLayout layout_;
    const BlockLevels levels_;
};

// A frame's spheres placed in memory of their own, ready to be handed to
// the GPU.
struct PlacedImpostors {
    ImpostorTiles tiles;
    std::vector<float> centres;
    // Each sphere's open faces, and its share of the sky after them with
    // ambient occlusion.
    std::vector<unsigned char> traits;
    bool shares = false;
    double radius = 0;
};

PlacedImpostors PlaceImpostors(const PointView& points, const PointSurvey& survey, double radius, bool cullHidden,
                               bool levelOfDetail, bool occlusion);
