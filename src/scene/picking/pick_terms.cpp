#include "picking/pick_terms.h"

#include "asc_grid.h"
#include "surf_data.h"

PickTerms PickTermsFor(const SceneSettings& settings, const SurfData& data, const std::string& file) {
    PickTerms terms;
    terms.rows = data.gridRows;
    terms.northFirst = IsAscFile(file);
    terms.metresPerLevel = settings.series.metresPerLevel;
    terms.levelZeroMetres = settings.series.levelZeroMetres;
    terms.cellMetres = settings.series.cellMetres;
    terms.origin = settings.series.origin;
    terms.cellSize = settings.series.cellSize;
    terms.crs = settings.series.crs;
    return terms;
}
