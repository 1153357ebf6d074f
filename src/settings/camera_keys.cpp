#include "camera_keys.h"

#include "key_reader.h"

CameraKeys ReadCameraKeys(const ConfigStore& store, Diagnostics& diagnostics) {
    const KeyReader read(store, diagnostics);
    CameraKeys camera;
    camera.azimuthDegrees = read.Angle(keys::azimuth);
    camera.elevationDegrees = read.Angle(keys::elevation);
    camera.distance = read.Number(keys::distance);
    if (const auto centre = read.Numbers(keys::centre)) {
        camera.centre = Point3{(*centre)[0], (*centre)[1], (*centre)[2]};
    }
    return camera;
}
