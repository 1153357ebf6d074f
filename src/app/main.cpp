// Pelorin's entry point. Until the viewer lands it loads the data and stops.
#include <string>

#include "config_store.h"
#include "surf_data.h"
#include "viewer.h"

int main(int argc, char** argv) {
    ConfigStore arguments(argc, argv, nullptr);
    ConfigStore config("config.txt", nullptr, nullptr, nullptr);
    SurfData points(std::string(config.lookup("data/file", "data.txt")));
    InitDisplay(&points);
    return 0;
}
