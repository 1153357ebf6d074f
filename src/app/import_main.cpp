// pelorin-import: converts an elevation raster or a text matrix, or a series
// of them, into data files and a configuration that the viewer shows.
#include <gdal.h>

#include <iostream>

#include "import_elevation.h"

int main(int argc, char** argv) {
    const int status = RunImport(argc, argv, std::cout, ProgramDiagnostics());
    GDALDestroy();
    return status;
}
