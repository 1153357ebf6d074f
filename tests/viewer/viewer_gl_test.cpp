// The viewer in process, with a real window and OpenGL context on a private
// Xvfb server: matrices, light and material read back with glGet, the input
// handlers' effect on the camera and the display lists, and drawn pixels.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>


#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "gl_test_support.h"
#include "picture.h"
#include "png_read.h"
#include "queued_keys.h"
#include "surf_data.h"
#include "viewer.h"
#include "viewer_callbacks.h"
#include "survey/hidden_spheres.h"
#include "survey/point_survey.h"
#include "lists/sphere_mesh.h"
#include "viewer_camera.h"
#include "viewer_state.h"
#include "clock.h"
#include "xvfb_server.h"

namespace {

using Matrix = std::array<double, 16>;  // column-major, as OpenGL keeps it
using Vec3 = std::array<double, 3>;

// Camera and interaction state as InitDisplay leaves it, restored before
// every test so each case starts from the real start values.
struct ViewerSnapshot {
    double camDistance, camTheta, camPhi, centerX, centerY, centerZ;
    int sphereTesel, dragMode, lastX, lastY;
    SurfData* data;

    static ViewerSnapshot Take() {
        return {::camDistance, ::camTheta, ::camPhi, ::centerX, ::centerY, ::centerZ,
                ::sphereTesel, ::dragMode, ::lastX, ::lastY, ::data};
    }
    void Restore() const {
        ::camDistance = camDistance;
        ::camTheta = camTheta;
        ::camPhi = camPhi;
        ::centerX = centerX;
        ::centerY = centerY;
        ::centerZ = centerZ;
        ::sphereTesel = sphereTesel;
        ::dragMode = dragMode;
        ::lastX = lastX;
        ::lastY = lastY;
        ShowPoints(data);
    }
};

std::unique_ptr<TempDir> dir;
std::unique_ptr<SurfData> points;
std::unique_ptr<SurfData> noPoints;
ViewerSnapshot startState;
Matrix firstFrameProjection;
int displayCount = 0;

void CountingDisplay() {
    ++displayCount;
    onDisplay();
}

// Runs the toolkit's event processing until nothing happened for a while.
void SettleEvents(double quietSeconds = 0.2, double timeoutSeconds = 10) {
    const double deadline = MonotonicSeconds() + timeoutSeconds;
    double quietSince = MonotonicSeconds();
    int seen = displayCount;
    while (MonotonicSeconds() < deadline) {
        glutMainLoopEvent();
        if (displayCount != seen) {
            seen = displayCount;
            quietSince = MonotonicSeconds();
        } else if (MonotonicSeconds() - quietSince > quietSeconds) {
            return;
        }
        usleep(10 * 1000);
    }
}

// How many frames the toolkit draws because of `action`.
int RedisplaysAfter(const std::function<void()>& action) {
    SettleEvents(0.05);
    const int before = displayCount;
    action();
    SettleEvents(0.1);
    return displayCount - before;
}

class ViewerWindow : public testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(StartPrivateDisplay(120));
        dir = std::make_unique<TempDir>("viewer");
        ASSERT_FALSE(dir->path().empty());
        // A 3 by 3 grid: a hill of 15 points about (1, 1).
        WriteFile(*dir / "data.txt", "3\n0 1 0 \n1 2 1 \n0 1 0 \n");
        WriteFile(*dir / "empty.txt", "1\n-1 \n");

        points = std::make_unique<SurfData>(*dir / "data.txt");
        noPoints = std::make_unique<SurfData>(*dir / "empty.txt");
        ASSERT_EQ(points->x.size(), 15u);
        ASSERT_TRUE(noPoints->x.empty());

        InitDisplay(points.get());
        startState = ViewerSnapshot::Take();
        glutDisplayFunc(CountingDisplay);
        SettleEvents();
        ASSERT_GT(displayCount, 0) << "the window was never drawn";
        glGetDoublev(GL_PROJECTION_MATRIX, firstFrameProjection.data());
    }
    // The window stays up to the very end of the process: closing it would
    // unload the GL driver before the leak check.
    void TearDown() override { dir.reset(); }
};

Matrix ReadMatrix(GLenum which) {
    Matrix m{};
    glGetDoublev(which, m.data());
    return m;
}

// The view matrix of an eye at `eye` looking at `centre` with `up`, built
// from the camera's orthonormal axes.
Matrix LookAt(Vec3 eye, Vec3 centre, Vec3 up) {
    auto normalised = [](Vec3 v) {
        const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        return Vec3{v[0] / n, v[1] / n, v[2] / n};
    };
    auto cross = [](Vec3 a, Vec3 b) {
        return Vec3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    auto dot = [](Vec3 a, Vec3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    const Vec3 forward = normalised({centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]});
    const Vec3 side = normalised(cross(forward, up));
    const Vec3 upward = cross(side, forward);
    return {side[0], upward[0], -forward[0], 0,
            side[1], upward[1], -forward[1], 0,
            side[2], upward[2], -forward[2], 0,
            -dot(side, eye), -dot(upward, eye), dot(forward, eye), 1};
}

Matrix Perspective(double fieldOfViewDegrees, double aspect, double near, double far) {
    const double f = 1.0 / std::tan(fieldOfViewDegrees * M_PI / 360.0);
    return {f / aspect, 0, 0, 0,
            0, f, 0, 0,
            0, 0, (far + near) / (near - far), -1,
            0, 0, 2 * far * near / (near - far), 0};
}

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, double tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
    }
}

class ViewerGl : public testing::Test {
protected:
    void SetUp() override {
        startState.Restore();
        onResize(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    }
    // Looks at the top of the 15-point hill from close by.
    static void LookAtHill() {
        centerX = 1;
        centerY = 1;
        centerZ = 2;
        camDistance = 10;
    }
};

// ---- Window, camera and projection ----

TEST_F(ViewerGl, WindowIsDoubleBufferedWithDepthAt800By600) {
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 800);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 600);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_RGBA), 1);
}

TEST_F(ViewerGl, ModelviewAfterDisplayIsTheOrbitCamera) {
    struct Case {
        const char* name;
        std::function<void()> place;  // leaves the start camera when empty
        Vec3 eye, centre;
    };
    const Case cases[] = {
        {"start", nullptr, {-5, -5, 21.213203435596427}, {10, 10, 0}},
        {"side view along +x", [] { camTheta = 0; camPhi = M_PI / 2; camDistance = 10; centerX = 1; centerY = 2; },
         {11, 2, 0}, {1, 2, 0}},
        {"from -y, 60 degrees up", [] { camTheta = -M_PI / 2; camPhi = M_PI / 6; camDistance = 4; },
         {10, 8, 3.4641016151377544}, {10, 10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startState.Restore();
        if (c.place) c.place();
        onDisplay();
        ExpectMatrixNear(ReadMatrix(GL_MODELVIEW_MATRIX), LookAt(c.eye, c.centre, {0, 0, 1}), 1e-4);
    }
}

TEST_F(ViewerGl, FirstFrameProjectionFollowsTheWindowsAspect) {
    ExpectMatrixNear(firstFrameProjection, Perspective(40, 800.0 / 600.0, 0.1f, 800), 1e-5);
}

TEST_F(ViewerGl, ResizeSetsViewportAndProjection) {
    struct Case {
        int width, height;
        double aspect;
    };
    // A height of zero is taken as one so the projection stays finite.
    const Case cases[] = {{800, 600, 800.0 / 600.0}, {1000, 250, 4.0}, {300, 900, 1.0 / 3.0}, {640, 0, 640.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        onResize(c.width, c.height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], c.width);
        EXPECT_EQ(viewport[3], c.height);
        ExpectMatrixNear(ReadMatrix(GL_PROJECTION_MATRIX), Perspective(40, c.aspect, 0.1f, 800), 1e-5);
    }
}

// ---- Fixed OpenGL state ----

TEST_F(ViewerGl, LightAndMaterialReadBack) {
    struct Case {
        const char* name;
        std::function<void(GLfloat*)> read;
        std::array<GLfloat, 4> expected;
    };
    auto light = [](GLenum p) { return [p](GLfloat* v) { glGetLightfv(GL_LIGHT0, p, v); }; };
    auto material = [](GLenum face, GLenum p) { return [face, p](GLfloat* v) { glGetMaterialfv(face, p, v); }; };
    const Case cases[] = {
        {"light ambient", light(GL_AMBIENT), {0.5f, 0.5f, 0.5f, 1.0f}},
        {"light diffuse", light(GL_DIFFUSE), {0.9f, 0.9f, 0.9f, 1.0f}},
        // Given under an identity modelview: eye space, a directional light.
        {"light position", light(GL_POSITION), {0.5f, 0.5f, 0.2f, 0.0f}},
        {"light specular left at its default", light(GL_SPECULAR), {1, 1, 1, 1}},
        {"front ambient", material(GL_FRONT, GL_AMBIENT), {0.3f, 0.2f, 0.2f, 1.0f}},
        {"front diffuse", material(GL_FRONT, GL_DIFFUSE), {0.9f, 0.1f, 0.1f, 1.0f}},
        {"front specular", material(GL_FRONT, GL_SPECULAR), {0.0f, 1.0f, 1.0f, 0.5f}},
        {"back ambient", material(GL_BACK, GL_AMBIENT), {0.3f, 0.2f, 0.2f, 1.0f}},
        {"back diffuse", material(GL_BACK, GL_DIFFUSE), {0.9f, 0.1f, 0.1f, 1.0f}},
        {"back specular", material(GL_BACK, GL_SPECULAR), {0.0f, 1.0f, 1.0f, 0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GLfloat value[4] = {-1, -1, -1, -1};
        c.read(value);
        for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(value[i], c.expected[i]) << "component " << i;
    }
    GLfloat shininess[2] = {0, 0};
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess[0]);
    glGetMaterialfv(GL_BACK, GL_SHININESS, &shininess[1]);
    EXPECT_FLOAT_EQ(shininess[0], 20.0f);
    EXPECT_FLOAT_EQ(shininess[1], 20.0f);
}

TEST_F(ViewerGl, DepthLightingShadingAndClearColour) {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    GLint value[2];
    glGetIntegerv(GL_DEPTH_FUNC, value);
    EXPECT_EQ(value[0], GL_LESS);
    glGetIntegerv(GL_SHADE_MODEL, value);
    EXPECT_EQ(value[0], GL_SMOOTH);
    glGetIntegerv(GL_POLYGON_MODE, value);
    EXPECT_EQ(value[0], GL_FILL);
    EXPECT_EQ(value[1], GL_FILL);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, value);
    EXPECT_EQ(value[0], GL_NICEST);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 1);
    EXPECT_FLOAT_EQ(clear[1], 1);
    EXPECT_FLOAT_EQ(clear[2], 1);
    EXPECT_FLOAT_EQ(clear[3], 0);
}

// ---- Mouse ----

struct Point {
    int x, y;
};

// The callbacks hand drags and wheel steps to the camera functions, whose
// worked examples the scene's own tests check, and keep what they give.
TEST_F(ViewerGl, DragsAndWheelStepsMoveTheCamera) {
    onMouseClick(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 100);
    onMouseDrag(500, 350);
    EXPECT_NEAR(camTheta - startState.camTheta, -0.1 * M_PI, 1e-12);
    EXPECT_EQ(camPhi, 0.00001);
    startState.Restore();
    onMouseClick(GLUT_RIGHT_BUTTON, GLUT_DOWN, 400, 300);
    onMouseDrag(410, 300);
    EXPECT_NEAR(centerX, 9.575735931288071, 1e-9);
    EXPECT_NEAR(centerY, 10.424264068711929, 1e-9);
    startState.Restore();
    EXPECT_EQ(RedisplaysAfter([] { onWheelChange(0, 1, 10, 10); }), 1);
    EXPECT_NEAR(camDistance, 27.906976744186046, 1e-12);
}

TEST_F(ViewerGl, MotionWithoutDragOnlyTracksThePointerAndBoundsPhi) {
    const double phis[][2] = {{-0.5, 0.00001}, {4.0, M_PI}, {1.0, 1.0}};
    for (const auto& phi : phis) {
        startState.Restore();
        camPhi = phi[0];
        onMouseDrag(37, 41);
        EXPECT_EQ(camPhi, phi[1]);
        EXPECT_EQ(camTheta, startState.camTheta);
        EXPECT_EQ(centerX, startState.centerX);
        EXPECT_EQ(centerY, startState.centerY);
        EXPECT_EQ(lastX, 37);
        EXPECT_EQ(lastY, 41);
    }
}

TEST_F(ViewerGl, ButtonEventsFollowTheDragTable) {
    struct Event {
        int button, state, x, y;
    };
    struct Case {
        const char* name;
        std::vector<Event> events;
        int mode;
        Point last;
    };
    const int L = GLUT_LEFT_BUTTON, M = GLUT_MIDDLE_BUTTON, R = GLUT_RIGHT_BUTTON;
    const int D = GLUT_DOWN, U = GLUT_UP;
    const Case cases[] = {
        {"left down orbits", {{L, D, 5, 6}}, 1, {5, 6}},
        {"right down pans", {{R, D, 7, 8}}, 2, {7, 8}},
        {"second button switches", {{L, D, 1, 1}, {R, D, 2, 2}}, 2, {2, 2}},
        {"release of either ends the drag", {{L, D, 1, 1}, {R, D, 2, 2}, {R, U, 3, 3}}, 0, {2, 2}},
        {"left up ends orbit", {{L, D, 1, 1}, {L, U, 9, 9}}, 0, {1, 1}},
        {"middle down changes nothing", {{L, D, 4, 4}, {M, D, 9, 9}}, 1, {4, 4}},
        {"middle up changes nothing", {{R, D, 4, 4}, {M, U, 9, 9}}, 2, {4, 4}},
        {"another button changes nothing", {{3, D, 9, 9}}, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startState.Restore();
        for (const Event& e : c.events) {
            EXPECT_EQ(RedisplaysAfter([&] { onMouseClick(e.button, e.state, e.x, e.y); }), 1);
        }
        EXPECT_EQ(dragMode, c.mode);
        EXPECT_EQ(lastX, c.last.x);
        EXPECT_EQ(lastY, c.last.y);
    }
}

TEST_F(ViewerGl, ReleasingTheRightButtonWhileLeftIsHeldStopsOrbiting) {
    onMouseClick(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    onMouseClick(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 100);
    onMouseClick(GLUT_RIGHT_BUTTON, GLUT_UP, 100, 100);
    onMouseDrag(300, 200);
    EXPECT_EQ(camTheta, startState.camTheta);
    EXPECT_EQ(camPhi, startState.camPhi);
    EXPECT_EQ(centerX, startState.centerX);
}

TEST_F(ViewerGl, ZoomingFarOutAndAsFarBackInReturnsTheStartPicture) {
    LookAtHill();
    const double start = camDistance;
    const Picture before = DrawAndRead();
    for (int i = 0; i < 20000; ++i) onWheelChange(0, -1, 0, 0);
    EXPECT_TRUE(std::isfinite(camDistance));
    for (int i = 0; i < 20000; ++i) onWheelChange(0, 1, 0, 0);
    EXPECT_NEAR(camDistance, start, start * 1e-12);
    EXPECT_EQ(DifferingPixels(before, DrawAndRead()), 0);
}

// A window grown past what the renderer can draw into is shrunk back, and
// nothing is drawn at the size that crashes the renderer.
TEST_F(ViewerGl, WindowLargerThanTheRendererCanHoldShrinksBack) {
    GLint largest[2];
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    const int before = displayCount;
    glutReshapeWindow(32767, 32767);
    SettleEvents(0.5, 60);
    EXPECT_LE(glutGet(GLUT_WINDOW_WIDTH), largest[0]);
    EXPECT_LE(glutGet(GLUT_WINDOW_HEIGHT), largest[1]);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_LE(viewport[2], largest[0]);
    EXPECT_LE(viewport[3], largest[1]);
    EXPECT_GT(displayCount, before);
    glutReshapeWindow(800, 600);
    SettleEvents(0.5, 60);
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 800);
}

// ---- Keys ----

TEST_F(ViewerGl, TessellationKeysStepWithinLimitsAndRebuildTheLists) {
    struct Case {
        int before;
        unsigned char key;
        int after;
    };
    const Case cases[] = {
        {6, '+', 7}, {30, '+', 31}, {31, '+', 31}, {2, '-', 1}, {1, '-', 1},
        {40, '+', 40}, {40, '-', 39}, {0, '-', 0}, {0, '+', 1}, {-3, '+', -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + " " + static_cast<char>(c.key));
        sphereTesel = c.before;
        BuildDisplayLists();
        const GLuint oldSphere = sphereList, oldScene = sceneList;
        const int redisplays = RedisplaysAfter([&] { onKey(c.key, 0, 0); });
        EXPECT_EQ(sphereTesel, c.after);
        const bool rebuilt = c.after != c.before;
        EXPECT_EQ(redisplays, rebuilt ? 1 : 0);
        EXPECT_EQ(sphereList != oldSphere, rebuilt);
        EXPECT_EQ(sceneList, sphereList + 1);
        EXPECT_TRUE(glIsList(sphereList));
        EXPECT_TRUE(glIsList(sceneList));
        if (rebuilt) {
            // The previous pair is released, not leaked.
            EXPECT_FALSE(glIsList(oldSphere));
            EXPECT_FALSE(glIsList(oldScene));
        }
    }
}

// Keys pressed while a slow rebuild runs wait in the queue; only the last
// "+" or "-" that changes the tessellation rebuilds.
TEST_F(ViewerGl, QueuedTessellationKeysRebuildOnce) {
    struct Case {
        int tesel, pluses, minuses, teselAfter;
        std::size_t builds;
    };
    // The last acting key rebuilds even when keys after it do nothing.
    const Case cases[] = {{6, 5, 0, 11, 1}, {6, 3, 3, 6, 1}, {29, 5, 0, 31, 1}, {31, 2, 0, 31, 0}, {6, 1, 0, 7, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pluses) + " plus, " + std::to_string(c.minuses) + " minus from " +
                     std::to_string(c.tesel));
        sphereTesel = c.tesel;
        BuildDisplayLists();
        const std::size_t before = scene.lists().builds();
        QueueKeyPresses("KP_Add", c.pluses);
        QueueKeyPresses("KP_Subtract", c.minuses);
        SettleEvents();
        EXPECT_EQ(sphereTesel, c.teselAfter);
        EXPECT_EQ(scene.lists().builds() - before, c.builds);
    }
    // The lists match the tessellation the keys left.
    const Picture keyed = DrawAndRead();
    BuildDisplayLists();
    EXPECT_EQ(DifferingPixels(keyed, DrawAndRead()), 0);
}

TEST_F(ViewerGl, OtherKeysChangeNothing) {
    BuildDisplayLists();
    const GLuint lists = sphereList;
    for (unsigned char key : std::vector<unsigned char>{'x', 'a', ' ', '=', '\r', 200}) {
        SCOPED_TRACE(static_cast<int>(key));
        EXPECT_EQ(RedisplaysAfter([&] { onKey(key, 1, 1); }), 0);
        EXPECT_EQ(sphereTesel, startState.sphereTesel);
        EXPECT_EQ(sphereList, lists);
        EXPECT_EQ(camDistance, startState.camDistance);
    }
}

// With display/keys = extended: "c" prints the camera as config lines, "s"
// saves the window, "r" returns to the opening camera and "h" lists the
// bindings. With the standard keys the same four do nothing.
TEST_F(ViewerGl, ExtendedKeysPrintSaveAndGoBack) {
    const TempDir folder("keys");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    camTheta = M_PI / 2, camPhi = M_PI / 3, camDistance = 12.5, centerX = 1, centerY = -2, centerZ = 3;
    const Picture moved = DrawAndRead();
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended" : "standard");
        scene.options().extendedKeys = extended;
        testing::internal::CaptureStdout();
        int redisplays = 0;
        for (unsigned char key : {'c', 's', 'h'}) redisplays += RedisplaysAfter([&] { onKey(key, 0, 0); });
        const std::string printed = testing::internal::GetCapturedStdout();
        if (!extended) {
            EXPECT_EQ(printed, "");
            EXPECT_EQ(redisplays, 0);
            EXPECT_FALSE(ReadPng("pelorin-0001.png").ok());
            EXPECT_EQ(RedisplaysAfter([] { onKey('r', 0, 0); }), 0);
            EXPECT_EQ(camDistance, 12.5);
            continue;
        }
        EXPECT_EQ(printed.rfind("[camera]\nazimuth = 90\nelevation = 30\ndistance = 12.5\ncenter = '1 -2 3'\n"
                                "saved pelorin-0001.png\n",
                                0),
                  0u)
            << printed;
        EXPECT_NE(printed.find("s           save the window as pelorin-NNNN.png"), std::string::npos) << printed;
        EXPECT_EQ(DifferingPixels(ReadPng("pelorin-0001.png").picture, UpsideDown(moved)), 0);
        testing::internal::CaptureStdout();
        onKey('s', 0, 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "saved pelorin-0002.png\n");
        EXPECT_EQ(RedisplaysAfter([] { onKey('r', 0, 0); }), 1);
        EXPECT_EQ(camDistance, startState.camDistance);
        EXPECT_EQ(camTheta, startState.camTheta);
        EXPECT_EQ(centerX, startState.centerX);
    }
    scene.options().extendedKeys = false;
    ASSERT_EQ(chdir(previous), 0);
}

// ---- Drawing ----

TEST_F(ViewerGl, EmptyPointSetDrawsOnlyTheWhiteBackground) {
    ShowPoints(noPoints.get());
    BuildDisplayLists();
    const Picture picture = DrawAndRead();
    EXPECT_EQ(Shares(picture).white, 1.0);
    ShowPoints(points.get());
    BuildDisplayLists();
}

TEST_F(ViewerGl, PointsDrawAsRedSpheresOnWhite) {
    LookAtHill();
    BuildDisplayLists();
    const Picture picture = DrawAndRead();
    EXPECT_TRUE(IsRed(picture.pixel(400, 300)));
    EXPECT_TRUE(IsWhite(picture.pixel(0, 0)));
    EXPECT_TRUE(IsWhite(picture.pixel(799, 599)));
    const ColourShare share = Shares(picture);
    EXPECT_GT(share.red, 0.05);
    EXPECT_GT(share.white, 0.3);
}

TEST_F(ViewerGl, TessellationKeyChangesTheNextFrame) {
    LookAtHill();
    sphereTesel = 3;
    BuildDisplayLists();
    const Picture coarse = DrawAndRead();
    onKey('+', 0, 0);
    const Picture finer = DrawAndRead();
    EXPECT_GT(DifferingPixels(coarse, finer), 1000);
}

TEST_F(ViewerGl, HugeTessellationIsCappedOnlyInTheSphereCall) {
    LookAtHill();
    sphereTesel = sphereTeselCap;
    BuildDisplayLists();
    const Picture atCap = DrawAndRead();
    sphereTesel = 3000;
    BuildDisplayLists();
    const Picture huge = DrawAndRead();
    EXPECT_EQ(sphereTesel, 3000);
    EXPECT_EQ(DifferingPixels(atCap, huge), 0);
    EXPECT_GE(sphereTeselCap, 64);
}

// ---- Hidden spheres ----

std::unique_ptr<SurfData> Grid(const std::string& name, const std::vector<std::vector<int>>& rows) {
    return GridAt(*dir / name, rows);
}


// Puts the settings back whatever a cull test changed.
class ViewerCull : public ViewerGl {
protected:
    void TearDown() override {
        scene.options().cullHidden = false;
        sphereRadius = 0.75;
        ShowPoints(points.get());
        BuildDisplayLists();
    }
};

// The polygons `draw` emits, captured in feedback mode under identity
// matrices and a viewport mapping x and y by +1 (z by (z+1)/2), each as its
// corners. Feedback positions come back snapped to a few hundred-thousandths.
std::vector<std::vector<Vec3>> Polygons(const std::function<void()>& draw) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 2, 2);
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    onResize(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    std::vector<std::vector<Vec3>> polygons;
    for (GLint i = 0; i < used && buffer[i] == GL_POLYGON_TOKEN;) {
        const int n = static_cast<int>(buffer[i + 1]);
        std::vector<Vec3> v;
        for (int k = 0; k < n; ++k) {
            const GLfloat* w = &buffer[i + 2 + 3 * k];
            v.push_back({w[0] - 1.0, w[1] - 1.0, 2.0 * w[2] - 1.0});
        }
        i += 2 + 3 * n;
        polygons.push_back(v);
    }
    return polygons;
}

// The rule is worked out for a model of the sphere call's geometry; the call
// itself must have exactly those corners. The mesh drawn offscreen, where
// the toolkit is not there, must give the very same polygons in the same
// order.
TEST_F(ViewerCull, SphereCallMatchesTheModelAndTheOffscreenMesh) {
    for (int tesel : {2, 4, 6, 8, 13}) {
        SCOPED_TRACE("tesel " + std::to_string(tesel));
        const double radius = 0.5;  // inside the unit clip cube
        const auto polygons = Polygons([&] { glutSolidSphere(radius, tesel, tesel); });
        ASSERT_FALSE(polygons.empty());
        const auto mesh = Polygons([&] { DrawSphereMesh(radius, tesel, tesel); });
        ASSERT_EQ(mesh.size(), polygons.size());
        for (std::size_t p = 0; p < mesh.size(); ++p) {
            ASSERT_EQ(mesh[p].size(), polygons[p].size()) << "polygon " << p;
            for (std::size_t k = 0; k < mesh[p].size(); ++k) {
                for (int a = 0; a < 3; ++a) EXPECT_NEAR(mesh[p][k][a], polygons[p][k][a], 1e-6) << "polygon " << p;
            }
        }

        std::vector<std::array<double, 3>> corners;
        for (int stack = 0; stack <= tesel; ++stack) {
            for (int slice = 0; slice < tesel; ++slice) corners.push_back(SphereCorner(radius, tesel, slice, stack));
        }
        std::vector<bool> seen(corners.size(), false);
        int strays = 0;
        for (const auto& polygon : polygons) {
            for (const Vec3& p : polygon) {
                bool matched = false;
                for (std::size_t c = 0; c < corners.size(); ++c) {
                    const double dx = p[0] - corners[c][0], dy = p[1] - corners[c][1], dz = p[2] - corners[c][2];
                    if (dx * dx + dy * dy + dz * dz < 1e-8) seen[c] = matched = true;
                }
                strays += !matched;
            }
        }
        EXPECT_GE(static_cast<int>(polygons.size()), 2 * tesel * (tesel - 1));
        EXPECT_EQ(strays, 0) << "corners the model does not have";
        EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0) << "model corners the call does not draw";
    }
    EXPECT_TRUE(Polygons([] { DrawSphereMesh(0.5, 1, 1); }).empty());
}

TEST_F(ViewerCull, SceneLeavesOutExactlyTheEnclosedSpheres) {
    auto tall = Block(5, 4);
    tall[1][2] = 1;  // a notch at (2, 1): the columns next to it lose their enclosure
    struct Case {
        const char* name;
        std::vector<std::vector<int>> heights;
        double radius;
        int tesel;
        std::vector<Vec3> enclosed;
    };
    const Case cases[] = {
        {"3x3x3 block: only the centre", Block(3, 2), 0.75, 8, {{1, 1, 1}}},
        {"3x3x3 block, six facets: nothing", Block(3, 2), 0.75, 6, {}},
        {"3x3x3 block, radius 1: nothing", Block(3, 2), 1.0, 32, {}},
        {"one layer: nothing has a neighbour below", Block(4, 1), 0.75, 8, {}},
        {"5x5x5 block with a notch", tall, 0.75, 8,
         {{1, 3, 1}, {2, 3, 1}, {3, 3, 1}, {1, 3, 2}, {2, 3, 2}, {3, 3, 2}, {1, 3, 3}, {2, 3, 3}, {3, 3, 3}}},
        {"hill", {{0, 1, 0}, {1, 2, 1}, {0, 1, 0}}, 0.75, 8, {}},
    };
    int file = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto grid = Grid("cull" + std::to_string(file++) + ".txt", c.heights);
        const std::vector<bool> enclosed = EnclosedPoints(*grid, SurveyPoints(*grid), c.radius, c.tesel);
        std::vector<Vec3> found;
        for (std::size_t i = 0; i < enclosed.size(); ++i) {
            if (enclosed[i]) found.push_back({grid->x[i], grid->y[i], grid->z[i]});
        }
        std::sort(found.begin(), found.end());
        std::vector<Vec3> expected = c.enclosed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected);

        // The scene draws the others, and every point when the key is off.
        ShowPoints(grid.get());
        sphereRadius = c.radius;
        sphereTesel = c.tesel;
        scene.options().cullHidden = true;
        BuildDisplayLists();
        EXPECT_EQ(scene.spheres(), grid->x.size() - expected.size());
        scene.options().cullHidden = false;
        BuildDisplayLists();
        EXPECT_EQ(scene.spheres(), grid->x.size());
    }
}

// With the cull the pictures are the same to the last pixel: views from
// above, from the sides, from below and close by a solid block, and a hill
// from afar, where spheres are a few pixels wide and most of their pixels lie
// on an outline.
TEST_F(ViewerCull, PicturesWithAndWithoutTheCullAreEqual) {
    std::vector<std::vector<int>> hill(24, std::vector<int>(24));
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) hill[y][x] = static_cast<int>(std::lround(3 + 3 * std::sin(x / 3.0) * std::cos(y / 4.0)));
    }
    struct View {
        double theta, phi, distance, cx, cy, cz;
    };
    struct Scene {
        std::vector<std::vector<int>> heights;
        std::vector<View> views;
    };
    const Scene scenes[] = {
        {Block(6, 5),
         {{5 * M_PI / 4, M_PI / 4, 30, 10, 10, 0}, {0.3, 0.9, 14, 2.5, 2.5, 2.5}, {2.0, 1.4, 12, 2.5, 2.5, 2.5},
          {3.5, 2.3, 14, 2.5, 2.5, 2.5}, {4.8, 0.2, 16, 2.5, 2.5, 2.5}, {M_PI / 4, M_PI / 2, 9, 2.5, 2.5, 2.5},
          {1.1, 3.1, 12, 2.5, 2.5, 2.5}, {5.5, 1.0, 5, 0, 0, 5}, {2.6, 0.7, 4.5, 5, 5, 5}}},
        {hill, {{0.7, 0.5, 90, 12, 12, 3}, {2.4, 1.3, 140, 12, 12, 3}, {4.0, 2.2, 110, 12, 12, 3}}},
    };
    int file = 0;
    for (const Scene& terrain : scenes) {
        const auto grid = Grid("cull-picture" + std::to_string(file++) + ".txt", terrain.heights);
        ShowPoints(grid.get());
        sphereTesel = 8;
        const std::vector<bool> flags = EnclosedPoints(*grid, SurveyPoints(*grid), sphereRadius, sphereTesel);
        const auto enclosed = static_cast<std::size_t>(std::count(flags.begin(), flags.end(), true));
        ASSERT_GT(enclosed, 0u);
        for (const View& v : terrain.views) {
            SCOPED_TRACE("theta " + std::to_string(v.theta) + " phi " + std::to_string(v.phi));
            camTheta = v.theta, camPhi = v.phi, camDistance = v.distance;
            centerX = v.cx, centerY = v.cy, centerZ = v.cz;
            scene.options().cullHidden = false;
            BuildDisplayLists();
            const Picture all = DrawAndRead();
            scene.options().cullHidden = true;
            BuildDisplayLists();
            ASSERT_EQ(scene.spheres(), grid->x.size() - enclosed);
            const Picture culled = DrawAndRead();
            EXPECT_GT(Shares(all).red, 0.001);
            EXPECT_EQ(DifferingPixels(all, culled), 0);
        }
    }
}

// ---- Fitted view and colours by height ----

// Puts back the plain viewer's camera, planes and colours.
class ViewerOptIn : public ViewerCull {
protected:
    void TearDown() override {
        scene.options().fitView = false;
        scene.options().colourByHeight = false;
        nearPlane = 0.1f;
        farPlane = 800.0f;
        ViewerCull::TearDown();
    }
};

bool TouchesAnEdge(const Picture& picture) {
    for (int x = 0; x < picture.width; ++x) {
        if (!IsWhite(picture.pixel(x, 0)) || !IsWhite(picture.pixel(x, picture.height - 1))) return true;
    }
    for (int y = 0; y < picture.height; ++y) {
        if (!IsWhite(picture.pixel(0, y)) || !IsWhite(picture.pixel(picture.width - 1, y))) return true;
    }
    return false;
}

TEST_F(ViewerOptIn, FittedViewShowsTheWholeGridWithinTheWindow) {
    const std::vector<std::vector<int>> ridge = {{0, 1, 2, 3, 9}, {1, 2, 3, 4, 3}, {0, 0, 1, 2, 2},
                                                 {-1, 0, 0, 1, 1}, {0, 0, 0, 0, 0}};
    const std::pair<const char*, std::vector<std::vector<int>>> grids[] = {
        {"5x5 ridge", ridge}, {"60x60 flat", Block(60, 0)}, {"one tall column", {{30}}}};
    int file = 0;
    for (const auto& [name, heights] : grids) {
        SCOPED_TRACE(name);
        const auto grid = Grid("fit" + std::to_string(file++) + ".txt", heights);
        startState.Restore();
        ShowPoints(grid.get());
        scene.options().fitView = true;
        PlaceOpeningCamera();
        BuildDisplayLists();
        const Picture fitted = DrawAndRead();
        EXPECT_GT(Shares(fitted).red, 0.005);
        EXPECT_FALSE(TouchesAnEdge(fitted));
        // The start angles are kept: the first orbit step turns the same way.
        EXPECT_EQ(camTheta, startState.camTheta);
        EXPECT_EQ(camPhi, startState.camPhi);
    }
}

// Lit and shaded, the lowest level keeps the map's violet (blue over green)
// and the highest its yellow (red and green over blue).
bool IsViolet(const unsigned char* p) { return p[2] >= p[1] + 40 && p[0] >= p[1] + 10; }
bool IsYellow(const unsigned char* p) { return p[0] >= p[2] + 60 && p[1] >= p[2] + 60; }

TEST_F(ViewerOptIn, ColourByHeightRunsFromVioletAtTheLowestToYellowAtTheHighest) {
    const auto grid = Grid("colour.txt", {{0, 0, 0}, {0, 8, 0}, {0, 0, 0}});
    ShowPoints(grid.get());
    centerX = 1, centerY = 1, centerZ = 4, camDistance = 20, camPhi = 1.2;
    auto count = [](const Picture& picture, bool (*is)(const unsigned char*)) {
        long n = 0;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) n += is(picture.pixel(x, y));
        }
        return n;
    };
    for (bool byHeight : {false, true}) {
        SCOPED_TRACE(byHeight ? "by height" : "red");
        scene.options().colourByHeight = byHeight;
        BuildDisplayLists();
        const Picture picture = DrawAndRead();
        EXPECT_EQ(count(picture, IsViolet) > 500, byHeight);
        EXPECT_EQ(count(picture, IsYellow) > 500, byHeight);
        EXPECT_EQ(Shares(picture).red > 0.01, !byHeight);
    }
}

}  // namespace

int main(int argc, char** argv) { return RunGlTests(argc, argv, new ViewerWindow); }
