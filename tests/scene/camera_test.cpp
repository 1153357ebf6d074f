// The camera's steps, from the worked examples of the viewer's drags and
// wheel, and the camera written down as [camera] keys.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "camera/camera_fit.h"
#include "camera/opening_camera.h"
#include "camera_keys.h"
#include "config_store.h"
#include "survey/point_survey.h"
#include "temp_files.h"

namespace {

struct Point {
    int x, y;
};

// The moves a left drag along `path` makes, each held as the viewer holds it.
OrbitCamera Orbit(OrbitCamera camera, const std::vector<Point>& path) {
    for (std::size_t i = 1; i < path.size(); ++i) {
        camera = Orbited(camera, path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
        camera.phi = HeldPolarAngle(camera.phi);
    }
    return camera;
}

TEST(Camera, LeftDragOrbitsAndKeepsThePolarAngleInBounds) {
    struct Case {
        const char* name;
        double phiBefore;
        std::vector<Point> path;
        double thetaChange, phiAfter;
    };
    const double startPhi = M_PI / 4;
    const Case cases[] = {
        {"100 px right", startPhi, {{400, 300}, {500, 300}}, -0.1 * M_PI, startPhi},
        {"diagonal", startPhi, {{400, 300}, {430, 280}}, -0.03 * M_PI, startPhi + 0.02 * M_PI},
        {"250 px down reaches the top bound", startPhi, {{400, 100}, {400, 350}}, 0, 0.00001},
        {"further down stays there", startPhi, {{400, 100}, {400, 350}, {400, 500}}, 0, 0.00001},
        {"up past the bottom stops at pi", startPhi, {{400, 900}, {400, 0}}, 0, M_PI},
        {"steps add up", 1.0, {{0, 0}, {10, 10}, {20, 20}, {10, 30}}, -0.01 * M_PI, 1.0 - 0.03 * M_PI},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrbitCamera start = StartCamera();
        start.phi = c.phiBefore;
        const OrbitCamera moved = Orbit(start, c.path);
        EXPECT_NEAR(moved.theta - start.theta, c.thetaChange, 1e-12);
        EXPECT_NEAR(moved.phi, c.phiAfter, 1e-12);
        EXPECT_EQ(moved.distance, start.distance);
        EXPECT_EQ(moved.centre, start.centre);
    }
}

TEST(Camera, RightDragPansTheCentreAcrossTheGround) {
    struct Case {
        const char* name;
        double distance;
        Point by;
        double x, y;
    };
    const Case cases[] = {
        {"10 px right", 30, {10, 0}, 9.575735931288071, 10.424264068711929},
        {"10 px down", 30, {0, 10}, 10.424264068711929, 10.424264068711929},
        {"twice as far moves twice as much", 60, {10, 0}, 9.151471862576142, 10.848528137423858},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrbitCamera start = StartCamera();
        start.distance = c.distance;
        const OrbitCamera moved = Panned(start, c.by.x, c.by.y);
        EXPECT_NEAR(moved.centre[0], c.x, 1e-9);
        EXPECT_NEAR(moved.centre[1], c.y, 1e-9);
        EXPECT_EQ(moved.centre[2], 0);
        EXPECT_EQ(moved.theta, start.theta);
        EXPECT_EQ(moved.phi, start.phi);
    }
}

TEST(Camera, WheelZoomsByFixedStepsAndNeverReachesZero) {
    struct Case {
        double before;
        int direction;
        double after;
    };
    const Case cases[] = {
        {30, 1, 27.906976744186046}, {30, -1, 32.25}, {30, 0, 32.25}, {30, 2, 32.25}, {0.00001, 1, 0.00001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("direction " + std::to_string(c.direction));
        EXPECT_NEAR(Wheeled({c.before, 0}, c.direction).distance, c.after, 1e-12);
    }
    WheelZoom zoom{30, 0};
    for (int i = 0; i < 400; ++i) zoom = Wheeled(zoom, 1);
    EXPECT_EQ(zoom.distance, 0.00001);
    for (int i = 0; i < 20000; ++i) zoom = Wheeled(zoom, -1);
    EXPECT_TRUE(std::isfinite(zoom.distance));
    for (int i = 0; i < 20000; ++i) zoom = Wheeled(zoom, 1);
    EXPECT_NEAR(zoom.distance, 0.00001, 1e-17);
}

TEST(Camera, StartEyeLooksAtTheCentreFromAbove) {
    const Point3 eye = EyePosition(StartCamera());
    EXPECT_NEAR(eye[0], -5, 1e-12);
    EXPECT_NEAR(eye[1], -5, 1e-12);
    EXPECT_NEAR(eye[2], 21.213203435596427, 1e-12);
}

// ---- The [camera] keys ----

// A store read from `text` as config.txt.
std::unique_ptr<ConfigStore> Store(const std::string& text) {
    static const TempDir dir("camera-keys");
    WriteFile(dir / "config.txt", text);
    return std::make_unique<ConfigStore>((dir / "config.txt").c_str());
}

TEST(CameraKeys, PlaceTheOpeningCameraOverTheStartOrTheFittedOne) {
    PointSurvey survey;  // a 21 x 21 grid of heights up to 4
    survey.count = 100;
    survey.highest = {20, 20, 4};
    const Projection projection = StartProjection();
    const double aspect = 800.0 / 600.0;
    const OrbitCamera start = StartCamera();
    struct Case {
        const char* name;
        const char* keys;
        bool fit;
        double theta, phi, distance;
        Point3 centre;
    };
    const OrbitCamera fitted = FittedCamera(start, SphereHull(survey, 0.75), 40, aspect);
    const Case cases[] = {
        {"no keys", "", false, start.theta, start.phi, 30, {10, 10, 0}},
        {"angles", "[camera]\nazimuth = 90\nelevation = 30\n", false, M_PI / 2, M_PI / 3, 30, {10, 10, 0}},
        {"straight down is held off the pole", "[camera]\nelevation = 90\n", false, start.theta, 0.00001, 30, {10, 10, 0}},
        {"below the ground is held at pi", "[camera]\nelevation = -120\n", false, start.theta, M_PI, 30, {10, 10, 0}},
        {"distance and centre", "[camera]\ndistance = 12.5\ncenter = '1 2 3'\n", false, start.theta, start.phi, 12.5,
         {1, 2, 3}},
        {"distance held by the wheel's bounds", "[camera]\ndistance = -4\n", false, start.theta, start.phi, 0.00001,
         {10, 10, 0}},
        {"fitted", "", true, start.theta, start.phi, fitted.distance, fitted.centre},
        {"fitted, then moved back", "[camera]\ndistance = 500\n", true, start.theta, start.phi, 500, fitted.centre},
        {"fitted, then moved over", "[camera]\ncenter = '1 2 3'\n", true, start.theta, start.phi, fitted.distance,
         {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DisplayOptions options;
        options.fitView = c.fit;
        options.camera = ReadCameraKeys(*Store(c.keys));
        const OrbitCamera camera = OpeningCamera(options, survey, 0.75, projection, aspect);
        EXPECT_NEAR(camera.theta, c.theta, 1e-12);
        EXPECT_NEAR(camera.phi, c.phi, 1e-12);
        EXPECT_NEAR(camera.distance, c.distance, 1e-9);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(camera.centre[i], c.centre[i], 1e-12);
    }
}

TEST(CameraKeys, WrittenLinesGiveTheSameCameraBack) {
    OrbitCamera camera{{12.25, -3.5, 7}, 123.456, 2.1, 0.4};
    const std::string lines = CameraConfigLines(camera);
    EXPECT_EQ(lines.rfind("[camera]\nazimuth = ", 0), 0u) << lines;
    DisplayOptions options;
    options.camera = ReadCameraKeys(*Store(lines));
    const OrbitCamera back = OpeningCamera(options, PointSurvey{}, 0.75, StartProjection(), 1.0);
    EXPECT_NEAR(back.theta, camera.theta, 1e-9);
    EXPECT_NEAR(back.phi, camera.phi, 1e-9);
    EXPECT_NEAR(back.distance, camera.distance, 1e-9);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(back.centre[i], camera.centre[i], 1e-9);
}

TEST(CameraKeys, ValuesThatAreNotNumbersWarnAndAreLeftUnset) {
    testing::internal::CaptureStderr();
    const CameraKeys keys = ReadCameraKeys(*Store("[camera]\nazimuth = abc\ncenter = '1 2'\ndistance = 7\n"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "warning: camera/azimuth: \"abc\" is not a number; ignored\n"
              "warning: camera/center: \"1 2\" is not three numbers (write center = 'X Y Z'); ignored\n");
    EXPECT_FALSE(keys.azimuthDegrees);
    EXPECT_FALSE(keys.centre);
    EXPECT_EQ(keys.distance, 7.0);
}

}  // namespace
