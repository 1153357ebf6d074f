#include "impostors/impostor_arrangement.h"

#include "survey/hidden_spheres.h"
#include "survey/point_survey.h"

namespace {

// Whole-number columns are laid out from the survey's table alone; any other
// point set sphere by sphere, all kept, since no neighbour can be told
// without columns.
SphereLayout LayoutFor(const PointView& points, const PointSurvey& survey, const std::vector<bool>& noneLeftOut,
                       double radius, bool cullHidden) {
    if (survey.columns.empty()) return SphereLayout(points, survey, noneLeftOut);
    return SphereLayout(survey, cullHidden && NeighboursEncloseTrueSphere(radius));
}

}  // namespace

ImpostorArrangement::ImpostorArrangement(const PointView& points, const PointSurvey& survey, double radius,
                                         bool cullHidden, bool levelOfDetail)
    : radius_(radius),
      layout_(LayoutFor(points, survey, noneLeftOut_, radius, cullHidden)),
      // Where the neighbours shut a sphere in, they shut a block's in too,
      // so the levels leave those out whether or not the full detail does.
      levels_(survey, layout_, NeighboursEncloseTrueSphere(radius), levelOfDetail ? 5 : 0) {}

void ImpostorArrangement::Place(float* out, unsigned char* traits, bool shares) const {
    layout_.Place(out, traits, shares, radius_);
    const std::size_t skipped = (shares ? 2 : 1) * layout_.spheres();
    levels_.Place(out + 3 * layout_.spheres(), traits == nullptr ? nullptr : traits + skipped, shares, radius_);
}

ImpostorTiles ImpostorArrangement::Tiles() const {
    ImpostorTiles tiles;
    tiles.tiles = layout_.tiles();
    tiles.levelRuns = levels_.runs();
    tiles.levelBase = static_cast<std::uint32_t>(layout_.spheres());
    tiles.spheres = layout_.spheres();
    tiles.lowest = layout_.lowest();
    tiles.highest = layout_.highest();
    return tiles;
}

PlacedImpostors PlaceImpostors(const PointView& points, const PointSurvey& survey, double radius, bool cullHidden,
                               bool levelOfDetail, bool occlusion) {
    const ImpostorArrangement arrangement(points, survey, radius, cullHidden, levelOfDetail);
    PlacedImpostors placed;
    placed.tiles = arrangement.Tiles();
    placed.centres.resize(3 * arrangement.spheres());
    placed.traits.resize((occlusion ? 2 : 1) * arrangement.spheres());
    placed.shares = occlusion;
    arrangement.Place(placed.centres.data(), placed.traits.data(), occlusion);
    placed.radius = radius;
    return placed;
}
