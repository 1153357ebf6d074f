// Pelorin's entry point: loads the point set named by "config.txt", shows it
// and, once the user quits, releases everything in reverse order.
#include <GL/freeglut.h>

#include <string>

#include "config_store.h"
#include "freed_memory.h"
#include "data_file.h"
#include "series/first_frame_wait.h"
#include "surf_data.h"
#include "viewer.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    // Parsed like any store but never consulted: the data file is chosen by
    // "config.txt" alone.
    ConfigStore arguments(argc, argv, nullptr);
    ConfigStore config("config.txt", nullptr, nullptr, nullptr);

    // The name's copy lives only while the loader opens the file. A file that
    // cannot be opened ends the process with status 1 inside the constructor.
    // With "data/series" the name is its first frame's; a series that names
    // no file says so, and the loader ends the process as for a missing file.
    // Followed with "data/watch", a run may not have written its first frame
    // yet; the newest whole one is shown.
    const LevelMapping mapping = LevelMappingFor(config);
    WaitForFirstFrame(FollowedSeries(config), ProgramDiagnostics(), mapping);
    SurfData points(FollowedDataFile(config), SurfaceUseFor(config), mapping);

    InitDisplay(&points);
    glutMainLoop();

    // Leaving the loop destroys points (closing the data file), then config,
    // then arguments.
    return 0;
}
