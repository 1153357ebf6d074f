// The shader loader's header must come before any other OpenGL header.
#include <epoxy/gl.h>

#include "impostor_renderer.h"

#include <time.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "height_colours.h"
#include "impostor_shaders.h"
#include "impostor_tiles.h"
#include "surf_data.h"
#include "true_sphere_cull.h"
#include "viewer_state.h"

double impostorCoarseAfterSeconds = 1.0 / 25;
bool impostorFrameCoarse = false;
std::size_t impostorFrameSpheres = 0;
bool impostorSkipOutsideTiles = true;

namespace {

GLuint program = 0;
GLuint sphereBuffer = 0;
GLuint sphereTexture = 0;
std::vector<SphereTile> tiles;
float lowestLevel = 0, highestLevel = 0;
double lastFullFrameSeconds = 0;

// What the buffer was last filled for.
struct BuildKey {
    const SurfData* points = nullptr;
    std::size_t count = 0;
    double radius = 0;
    bool cull = false;
    bool operator==(const BuildKey& o) const {
        return points == o.points && count == o.count && radius == o.radius && cull == o.cull;
    }
};
bool built = false;
BuildKey builtFor;

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Warn(const std::string& reason) {
    std::fprintf(stderr, "warning: display/renderer = impostors: %s; drawing with the display lists\n",
                 reason.c_str());
}

// Why the context cannot run the shaders, or "" if it can.
std::string MissingSupport() {
    if (!epoxy_is_desktop_gl()) return "the context is not desktop OpenGL";
    const int version = epoxy_gl_version();
    if (version < 33) {
        return "OpenGL " + std::to_string(version / 10) + "." + std::to_string(version % 10) +
               " is below the 3.3 the shaders need";
    }
    if (version < 40 && !epoxy_has_gl_extension("GL_ARB_texture_buffer_object_rgb32")) {
        return "no buffer textures of three floats";
    }
    return "";
}

GLint Uniform(const char* name) { return glGetUniformLocation(program, name); }

void SetVec3(const char* name, const std::array<float, 3>& v) { glUniform3f(Uniform(name), v[0], v[1], v[2]); }

std::array<float, 3> Product(const GLfloat* a, const GLfloat* b) { return {a[0] * b[0], a[1] * b[1], a[2] * b[2]}; }

std::array<float, 3> Normalised(const std::array<float, 3>& v) {
    const float n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return n > 0 ? std::array<float, 3>{v[0] / n, v[1] / n, v[2] / n} : std::array<float, 3>{0, 0, 1};
}

// Light and material as the fixed-function state holds them, so the spheres
// are lit as the display lists light theirs.
void SetLighting() {
    GLfloat sceneAmbient[4], lightAmbient[4], lightDiffuse[4], lightSpecular[4], lightPosition[4];
    GLfloat ambient[4], diffuse[4], specular[4], shininess = 0;
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, sceneAmbient);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glGetLightfv(GL_LIGHT0, GL_POSITION, lightPosition);  // eye space
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);

    const std::array<float, 3> toLight = Normalised({lightPosition[0], lightPosition[1], lightPosition[2]});
    SetVec3("lightDirection", toLight);
    // A non-local viewer looks along -z: the half vector is L + (0, 0, 1).
    SetVec3("halfVector", Normalised({toLight[0], toLight[1], toLight[2] + 1}));
    SetVec3("ambientLight", {sceneAmbient[0] + lightAmbient[0], sceneAmbient[1] + lightAmbient[1],
                             sceneAmbient[2] + lightAmbient[2]});
    SetVec3("diffuseLight", {lightDiffuse[0], lightDiffuse[1], lightDiffuse[2]});
    SetVec3("specularProduct", Product(lightSpecular, specular));
    glUniform1f(Uniform("shininess"), shininess);
    glUniform1f(Uniform("alpha"), diffuse[3]);
    SetVec3("materialDiffuse", {diffuse[0], diffuse[1], diffuse[2]});
    SetVec3("materialAmbient", {ambient[0], ambient[1], ambient[2]});
}

void SetColours() {
    glUniform1i(Uniform("byHeight"), colourByHeight ? 1 : 0);
    glUniform1f(Uniform("lowest"), lowestLevel);
    glUniform1f(Uniform("highest"), highestLevel);
    std::array<GLfloat, 3 * impostorColourStops> stops;
    for (int i = 0; i < impostorColourStops; ++i) {
        const Colour c = ColourMapAt(static_cast<double>(i) / (impostorColourStops - 1));
        std::memcpy(&stops[static_cast<std::size_t>(3 * i)], c.data(), sizeof c);
    }
    glUniform3fv(Uniform("stops"), impostorColourStops, stops.data());
    glUniform1f(Uniform("ambientShare"), AmbientFor({1, 1, 1})[0]);
}

// The camera as onDisplay and onResize left it. The projection is a
// perspective one about the view axis, as the viewer sets it.
std::array<double, 16> SetCamera() {
    GLfloat modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glUniformMatrix4fv(Uniform("modelview"), 1, GL_FALSE, modelview);
    glUniformMatrix4fv(Uniform("projection"), 1, GL_FALSE, projection);
    const double p22 = projection[10], p32 = projection[14];
    glUniform1f(Uniform("nearDistance"), static_cast<float>(p32 / (p22 - 1)));
    glUniform1f(Uniform("farDistance"), static_cast<float>(p32 / (p22 + 1)));
    glUniform2f(Uniform("frustumSlope"), 1 / projection[0], 1 / projection[5]);
    glUniform2f(Uniform("depthTerms"), projection[10], projection[14]);
    glUniform1f(Uniform("radius"), static_cast<float>(sphereRadius));

    std::array<double, 16> clip{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(projection[4 * k + row]) * modelview[4 * column + k];
            clip[static_cast<std::size_t>(4 * column + row)] = sum;
        }
    }
    return clip;
}

}  // namespace

bool StartImpostors() {
    const std::string missing = MissingSupport();
    if (!missing.empty()) {
        Warn(missing);
        return false;
    }
    const char* refuse = std::getenv("PELORIN_REFUSE_SHADERS");
    std::string error;
    program = BuildImpostorProgram(refuse != nullptr && std::strcmp(refuse, "1") == 0, error);
    if (program == 0) {
        Warn(error);
        return false;
    }
    glGenBuffers(1, &sphereBuffer);
    glGenTextures(1, &sphereTexture);
    return true;
}

void ForgetImpostorBuffers() { built = false; }

bool PrepareImpostors() {
    const BuildKey key{data, data->x.size(), sphereRadius, cullHidden};
    if (built && key == builtFor) return true;

    const std::vector<bool> leftOut = cullHidden ? EnclosedTrueSpheres(*data, sphereRadius) : std::vector<bool>();
    const SphereLayout layout(*data, leftOut);
    GLint texels = 0;
    glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &texels);
    if (layout.spheres() > static_cast<std::size_t>(texels)) {
        Warn(std::to_string(layout.spheres()) + " spheres are more than a buffer texture holds (" +
             std::to_string(texels) + ")");
        return false;
    }

    // Written straight into the buffer's own memory, so the spheres are never
    // held twice.
    const auto bytes = static_cast<GLsizeiptr>(3 * sizeof(float) * (layout.spheres() > 0 ? layout.spheres() : 1));
    glBindBuffer(GL_TEXTURE_BUFFER, sphereBuffer);
    glBufferData(GL_TEXTURE_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
    if (layout.spheres() > 0) {
        void* memory = glMapBufferRange(GL_TEXTURE_BUFFER, 0, bytes, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
        if (memory) layout.Place(static_cast<float*>(memory));
        glUnmapBuffer(GL_TEXTURE_BUFFER);
    }
    glBindTexture(GL_TEXTURE_BUFFER, sphereTexture);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGB32F, sphereBuffer);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    glBindBuffer(GL_TEXTURE_BUFFER, 0);

    tiles = layout.tiles();
    lowestLevel = layout.lowest();
    highestLevel = layout.highest();
    sceneSpheres = layout.spheres();
    builtFor = key;
    built = true;
    return true;
}

void DrawImpostors() {
    const double start = Now();
    impostorFrameCoarse = dragMode != 0 && lastFullFrameSeconds > impostorCoarseAfterSeconds;

    glUseProgram(program);
    const std::array<double, 16> clip = SetCamera();
    SetLighting();
    SetColours();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_BUFFER, sphereTexture);
    glUniform1i(Uniform("centres"), 0);

    std::vector<std::int32_t> firsts, counts;
    VisibleRuns(tiles, clip, sphereRadius, impostorFrameCoarse, impostorSkipOutsideTiles, firsts, counts);
    impostorFrameSpheres = 0;
    for (std::size_t i = 0; i < firsts.size(); ++i) {
        impostorFrameSpheres += static_cast<std::size_t>(counts[i]);
        firsts[i] *= impostorCorners;
        counts[i] *= impostorCorners;
    }
    if (!firsts.empty()) {
        glMultiDrawArrays(GL_TRIANGLES, firsts.data(), counts.data(), static_cast<GLsizei>(firsts.size()));
    }
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    glUseProgram(0);
    glFinish();
    if (!impostorFrameCoarse) lastFullFrameSeconds = Now() - start;
}
