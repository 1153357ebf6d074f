// Times ambient occlusion's cost at load: the impostors' arrangement of a
// grid (as the renderer makes it after loading) with and without each
// sphere's share of the sky, the two taking turns.
//
//   bench_sky_share FILE CULL N
//       loads FILE, surveys it and arranges its impostors N times each way,
//       with cull-hidden CULL (0 or 1) and levels of detail on.
//
// Prints "spheres <count>" (the coarse stand-ins of the levels of detail
// included), "plain <s>" and "occlusion <s>" (medians).
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_clock.h"
#include "impostors/impostor_arrangement.h"
#include "survey/point_survey.h"
#include "surf_data.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_sky_share FILE CULL N\n");
        return 1;
    }
    const SurfData data(argv[1]);
    const PointSurvey survey = SurveyPoints(data);
    const bool cull = std::atoi(argv[2]) != 0;
    const int n = std::max(1, std::atoi(argv[3]));
    std::vector<double> times[2];
    std::size_t spheres = 0;
    for (int i = 0; i < n; ++i) {
        for (int occlusion = 0; occlusion < 2; ++occlusion) {
            const double start = Now();
            const PlacedImpostors placed = PlaceImpostors(data, survey, 0.75, cull, true, occlusion != 0);
            times[occlusion].push_back(Now() - start);
            spheres = placed.centres.size() / 3;
            if (placed.traits.size() != (occlusion != 0 ? 2u : 1u) * spheres) {
                std::fprintf(stderr, "bench_sky_share: %zu bytes of traits for %zu spheres\n", placed.traits.size(), spheres);
                return 1;
            }
        }
    }
    std::printf("spheres %zu\nplain %.6f\nocclusion %.6f\n", spheres, Median(times[0]), Median(times[1]));
    return 0;
}
