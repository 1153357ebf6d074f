// The shader loader's header must come before any other OpenGL header.
#include <epoxy/gl.h>

#include "impostors/impostor_renderer.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "shading/fixed_state.h"
#include "shading/height_colours.h"
#include "survey/hidden_spheres.h"
#include "impostors/impostor_arrangement.h"
#include "impostors/impostor_shaders.h"
#include "impostors/layer_light.h"
#include "impostors/open_faces.h"
#include "survey/point_survey.h"
#include "survey/point_view.h"
#include "vec3.h"

namespace {

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
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

using Vec3f = std::array<float, 3>;

Vec3f Rgb(const Rgba& c) { return {c[0], c[1], c[2]}; }
Vec3f Product(const Rgba& a, const Rgba& b) { return {a[0] * b[0], a[1] * b[1], a[2] * b[2]}; }
Vec3f Sum(const Rgba& a, const Rgba& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3f Normalised(const Vec3f& v) {
    const float n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return n > 0 ? Vec3f{v[0] / n, v[1] / n, v[2] / n} : Vec3f{0, 0, 1};
}

class Uniforms {
public:
    explicit Uniforms(unsigned program) : program_(program) {}
    GLint operator()(const char* name) const { return glGetUniformLocation(program_, name); }
    void Vec3(const char* name, const Vec3f& v) const { glUniform3f((*this)(name), v[0], v[1], v[2]); }
    void Float(const char* name, double v) const { glUniform1f((*this)(name), static_cast<float>(v)); }
    void Matrix(const char* name, const Matrix4& m) const {
        std::array<float, 16> f;
        for (std::size_t i = 0; i < 16; ++i) f[i] = static_cast<float>(m[i]);
        glUniformMatrix4fv((*this)(name), 1, GL_FALSE, f.data());
    }

private:
    unsigned program_;
};

// The light and material of the fixed state, so the spheres are lit as the
// display lists light theirs. The light is given in eye space.
void SetLighting(const Uniforms& set) {
    const Lighting& l = sceneLighting;
    const Vec3f toLight = Normalised(Rgb(l.lightPosition));
    set.Vec3("lightDirection", toLight);
    // A non-local viewer looks along -z: the half vector is L + (0, 0, 1).
    set.Vec3("halfVector", Normalised({toLight[0], toLight[1], toLight[2] + 1}));
    set.Vec3("ambientLight", Sum(l.sceneAmbient, l.lightAmbient));
    set.Vec3("diffuseLight", Rgb(l.lightDiffuse));
    set.Vec3("specularProduct", Product(l.lightSpecular, l.materialSpecular));
    set.Float("shininess", l.materialShininess);
    set.Float("alpha", l.materialDiffuse[3]);
    set.Vec3("materialDiffuse", Rgb(l.materialDiffuse));
    set.Vec3("materialAmbient", Rgb(l.materialAmbient));
}

void SetColours(const Uniforms& set, bool byHeight, float lowest, float highest) {
    glUniform1i(set("byHeight"), byHeight ? 1 : 0);
    set.Float("lowest", lowest);
    set.Float("highest", highest);
    std::array<GLfloat, 3 * impostorColourStops> stops;
    for (int i = 0; i < impostorColourStops; ++i) {
        const Colour c = ColourMapAt(static_cast<double>(i) / (impostorColourStops - 1));
        std::memcpy(&stops[static_cast<std::size_t>(3 * i)], c.data(), sizeof c);
    }
    glUniform3fv(set("stops"), impostorColourStops, stops.data());
    set.Float("ambientShare", AmbientFor({1, 1, 1})[0]);
}

// The slopes x/depth and y/depth that the view volume spans, with 1 % to
// spare, for a projection whose x and y rows may be shifted off the axis (a
// tile of a larger picture).
std::array<float, 4> SlopeRange(const Matrix4& p) {
    std::array<float, 4> range;
    for (int axis = 0; axis < 2; ++axis) {
        const double scale = p[static_cast<std::size_t>(5 * axis)], shift = p[static_cast<std::size_t>(8 + axis)];
        const double middle = shift / scale, half = 1 / scale;
        range[static_cast<std::size_t>(2 * axis)] = static_cast<float>(middle - 1.01 * half);
        range[static_cast<std::size_t>(2 * axis + 1)] = static_cast<float>(middle + 1.01 * half);
    }
    return range;
}

// A sphere of diameter 1 at depth d shows PixelsPerUnit / d pixels wide:
// from the whole picture's height, whatever part of it a tile draws.
double PixelsPerUnit(const FrameView& frame) {
    return frame.height / 2.0 / std::tan(frame.projection.fieldOfView * M_PI / 360);
}

}  // namespace

std::string ImpostorRenderer::Start(bool refuse, bool refuseBuffer, std::size_t largestChunk) {
    refuseBuffer_ = refuseBuffer;
    const std::string missing = MissingSupport();
    if (!missing.empty()) return missing;
    std::string error;
    program_ = BuildImpostorProgram(refuse, error);
    if (program_ == 0) return error;
    glGenBuffers(1, &buffer_);
    glGenBuffers(1, &traitsBuffer_);
    chunks_.Start(largestChunk);
    // Without its own shaders the outline pass draws nothing; the spheres do.
    outlines_.Start();
    return "";
}

namespace {

// What a fill was made from: the points, or for a grid shown without them
// its survey's columns.
const void* SourceOf(const PointView& points, const PointSurvey& survey) {
    return points.x != nullptr ? static_cast<const void*>(points.x) : survey.columns.top.data();
}

}  // namespace

std::string ImpostorRenderer::Prepare(const PointView& points, const PointSurvey& survey, double radius,
                                      bool cullHidden, bool levelOfDetail, bool occlusion) {
    // The sky is worked out from the columns; without them nothing darkens.
    occlusion = occlusion && !survey.columns.empty();
    const FillKey key{SourceOf(points, survey), points.count, radius, cullHidden, levelOfDetail, occlusion};
    if (filled_ && key == filledFor_) return "";
    filled_ = false;
    const ImpostorArrangement arrangement(points, survey, radius, cullHidden, levelOfDetail);
    // Written straight into the buffer's own memory, so the spheres are never
    // held twice.
    const std::string refused = Fill(arrangement.spheres(), occlusion,
                                     [&](float* out, unsigned char* traits) { arrangement.Place(out, traits, occlusion); });
    if (!refused.empty()) return refused;
    Keep(arrangement.Tiles(), radius);
    filledFor_ = key;
    filled_ = true;
    return "";
}

std::string ImpostorRenderer::Take(const PlacedImpostors& placed, const PointView& points, bool cullHidden,
                                   bool levelOfDetail) {
    filled_ = false;
    const std::size_t spheres = placed.centres.size() / 3;
    const bool occlusion = placed.shares;
    const std::string refused = Fill(spheres, occlusion, [&](float* out, unsigned char* traits) {
        std::copy(placed.centres.begin(), placed.centres.end(), out);
        std::copy(placed.traits.begin(), placed.traits.end(), traits);
    });
    if (!refused.empty()) return refused;
    Keep(placed.tiles, placed.radius);
    filledFor_ = {points.x, points.count, placed.radius, cullHidden, levelOfDetail, occlusion};
    filled_ = true;
    return "";
}

void ImpostorRenderer::Keep(const ImpostorTiles& tiles, double radius) {
    tiles_ = tiles;
    radius_ = radius;
}

namespace {

// Makes the buffer's storage `bytes` long unless it already is (written
// over, rather than made anew: a fresh buffer of a big frame costs the driver
// tens of milliseconds to clear), maps it for writing, and gives the memory,
// or null. Every frame ends with glFinish, so nothing still reads it.
void* MapForWriting(unsigned buffer, std::size_t bytes, std::size_t& capacity, bool refuse) {
    glBindBuffer(GL_TEXTURE_BUFFER, buffer);
    const bool fits = bytes <= capacity;
    if (!fits) glBufferData(GL_TEXTURE_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR || refuse) return nullptr;
    capacity = std::max(capacity, bytes);
    const GLbitfield access =
        fits ? GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT : GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT;
    return glMapBufferRange(GL_TEXTURE_BUFFER, 0, static_cast<GLsizeiptr>(bytes), access);
}

}  // namespace

template <typename Write>
std::string ImpostorRenderer::Fill(std::size_t spheres, bool occlusion, Write write) {
    const std::string refused = chunks_.Refusal(spheres);
    if (!refused.empty()) return refused;
    const std::size_t count = spheres > 0 ? spheres : 1;
    const std::size_t bytes = 3 * sizeof(float) * count;
    // Earlier errors must not be taken for this allocation's.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    void* centres = MapForWriting(buffer_, bytes, capacity_, refuseBuffer_);
    const std::size_t traitBytes = occlusion ? 2 : 1;
    void* traits = centres != nullptr ? MapForWriting(traitsBuffer_, traitBytes * count, traitsCapacity_, false) : nullptr;
    const bool mapped = centres != nullptr && traits != nullptr;
    if (mapped) write(static_cast<float*>(centres), static_cast<unsigned char*>(traits));
    bool placed = mapped;
    if (traits != nullptr) {
        glBindBuffer(GL_TEXTURE_BUFFER, traitsBuffer_);
        placed = glUnmapBuffer(GL_TEXTURE_BUFFER) == GL_TRUE && placed;
    }
    if (centres != nullptr) {
        glBindBuffer(GL_TEXTURE_BUFFER, buffer_);
        placed = glUnmapBuffer(GL_TEXTURE_BUFFER) == GL_TRUE && placed;
    }
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
    chunks_.Bind(buffer_, traitsBuffer_, count, traitBytes);
    if (!placed) return "a buffer of " + std::to_string(bytes) + " bytes for the spheres could not be filled";
    occluded_ = occlusion;
    return "";
}

void ImpostorRenderer::DrawChunks(const std::vector<std::int32_t>& firsts, const std::vector<std::int32_t>& counts) {
    std::vector<std::int32_t> inFirsts, inCounts;
    for (std::size_t chunk = 0; chunk < chunks_.count(); ++chunk) {
        const std::size_t base = chunks_.count() == 1 ? 0 : chunk * chunks_.size();
        if (chunks_.count() == 1) {
            inFirsts = firsts, inCounts = counts;
        } else {
            ClipRuns(firsts, counts, base, chunks_.size(), inFirsts, inCounts);
        }
        if (inFirsts.empty()) continue;
        for (std::size_t i = 0; i < inFirsts.size(); ++i) inFirsts[i] *= impostorCorners, inCounts[i] *= impostorCorners;
        chunks_.Use(chunk);
        glUniform1i(glGetUniformLocation(program_, "chunkBase"), static_cast<GLint>(base));
        glMultiDrawArrays(GL_TRIANGLES, inFirsts.data(), inCounts.data(), static_cast<GLsizei>(inFirsts.size()));
    }
}

Matrix4 ImpostorRenderer::SetUniforms(const FrameView& frame, bool colourByHeight,
                                      const ColourRange& colours) {
    const Uniforms set(program_);
    const Matrix4 projection = ProjectionMatrix(frame);
    const Matrix4 modelview = ModelviewMatrix(frame);
    SetFaceLights(modelview);
    glUniform2f(set("averageBand"), averagedBelowPixels, exactFromPixels);
    set.Float("pixelsPerUnit", PixelsPerUnit(frame));
    set.Matrix("modelview", modelview);
    set.Matrix("projection", projection);
    set.Float("nearDistance", frame.projection.nearPlane);
    set.Float("farDistance", frame.projection.farPlane);
    const std::array<float, 4> slopes = SlopeRange(projection);
    glUniform4f(set("slopeRange"), slopes[0], slopes[1], slopes[2], slopes[3]);
    glUniform2f(set("depthTerms"), static_cast<float>(projection[10]), static_cast<float>(projection[14]));
    set.Float("radius", radius_);
    SetLighting(set);
    SetColours(set, colourByHeight, static_cast<float>(colours.lowest), static_cast<float>(colours.highest));
    return Multiply(projection, modelview);
}

namespace {

// For each set of open faces (open_faces.h), their light factors (diffuse,
// specular) averaged, each face (tops, x wall, y wall) counting with the
// area it shows the eye. The wall that faces the eye is +x's where the
// grid's x axis turns towards it (`plusX`), and likewise for y. A sphere
// whose faces are not known is taken for a top.
std::array<GLfloat, 2 * 32> LightOfOpenFaces(const FaceLights& faces, bool plusX, bool plusY) {
    std::array<GLfloat, 2 * 32> light{};
    for (unsigned open = 0; open < 32; ++open) {
        std::array<bool, 3> shown = {(open & openTop) != 0, (open & (plusX ? openPlusX : openMinusX)) != 0,
                                     (open & (plusY ? openPlusY : openMinusY)) != 0};
        if (!shown[0] && !shown[1] && !shown[2]) shown[0] = true;
        std::array<float, 3> area{};
        for (std::size_t f = 0; f < 3; ++f) area[f] = shown[f] ? std::fabs(faces.normal[f][2]) : 0;
        const float total = area[0] + area[1] + area[2];
        for (std::size_t f = 0; f < 3; ++f) {
            const float share = total > 0 ? area[f] / total : (f == 0 ? 1.0f : 0.0f);
            light[2 * open] += share * faces.light[f].diffuse;
            light[2 * open + 1] += share * faces.light[f].specular;
        }
    }
    return light;
}

}  // namespace

void ImpostorRenderer::SetFaceLights(const Matrix4& modelview) {
    // They change only as the lattice turns against the eye's light.
    const std::array<double, 10> key = {modelview[0], modelview[1], modelview[2], modelview[4], modelview[5],
                                        modelview[6], modelview[8], modelview[9], modelview[10], radius_};
    if (key != facesFor_) faces_ = AveragedFaceLights(modelview, radius_), facesFor_ = key;
    std::array<GLfloat, 9> normals;
    std::array<GLfloat, 6> light;
    for (std::size_t f = 0; f < 3; ++f) {
        std::copy(faces_.normal[f].begin(), faces_.normal[f].end(), &normals[3 * f]);
        light[2 * f] = faces_.light[f].diffuse, light[2 * f + 1] = faces_.light[f].specular;
    }
    glUniform3fv(glGetUniformLocation(program_, "faceNormals"), 3, normals.data());
    const std::array<GLfloat, 2 * 32> open = LightOfOpenFaces(faces_, modelview[2] > 0, modelview[6] > 0);
    glUniform2fv(glGetUniformLocation(program_, "lightOfFaces"), 32, open.data());
    glUniform2fv(glGetUniformLocation(program_, "faceLight"), 3, light.data());
}

std::vector<LevelDraws> ImpostorRenderer::Plan(const FrameView& frame, const Matrix4& clip) const {
    std::vector<LevelDraws> draws(1);
    if (tiles_.levelRuns.empty()) {
        VisibleRuns(tiles_.tiles, clip, radius_, lastFrameCoarse_, skipOutsideTiles, draws[0].firsts, draws[0].counts);
        return draws;
    }
    DetailView view;
    view.eye = EyePosition(frame.camera);
    view.forward = Normalised(Minus(frame.camera.centre, view.eye));
    view.pixelsPerUnit = PixelsPerUnit(frame);
    view.radius = radius_;
    view.threshold = detailThreshold;
    view.coarse = lastFrameCoarse_;
    view.skipOutside = skipOutsideTiles;
    return PlanLevels(tiles_.tiles, tiles_.levelRuns, tiles_.levelBase, clip, view);
}

void ImpostorRenderer::Draw(const FrameView& frame, bool colourByHeight, const ColourRange& colours, bool outlines) {
    const double start = Now();
    lastFrameCoarse_ = frame.dragging && lastFullFrameSeconds_ > coarseAfterSeconds;

    glUseProgram(program_);
    const Matrix4 clip = SetUniforms(frame, colourByHeight, colours);
    glUniform1i(glGetUniformLocation(program_, "centres"), 0);
    glUniform1i(glGetUniformLocation(program_, "sphereTraits"), 1);
    glUniform1i(glGetUniformLocation(program_, "occluded"), occluded_ ? 1 : 0);

    std::vector<LevelDraws> levels = Plan(frame, clip);
    // In a multisampled picture the outline is found by the ray of each
    // sample, not once a pixel, or it would stay as jagged as without.
    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    const bool perSample = sampleBuffers > 0 && epoxy_gl_version() >= 40;
    if (perSample) {
        glEnable(GL_SAMPLE_SHADING);
        glMinSampleShading(1.0f);
    }
    lastFrameSpheres_ = 0;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        std::vector<std::int32_t>& firsts = levels[level].firsts;
        std::vector<std::int32_t>& counts = levels[level].counts;
        if (firsts.empty()) continue;
        // A block's spheres are as much larger as the block is wider.
        glUniform1f(glGetUniformLocation(program_, "radius"), static_cast<float>(radius_ * (1 << level)));
        // A block stands for many spheres: it is always lit as their average.
        if (level == 1) glUniform2f(glGetUniformLocation(program_, "averageBand"), 1e30f, 2e30f);
        for (std::int32_t count : counts) lastFrameSpheres_ += static_cast<std::size_t>(count);
        DrawChunks(firsts, counts);
    }
    if (perSample) glDisable(GL_SAMPLE_SHADING);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    glUseProgram(0);
    if (outlines) outlines_.Draw(frame.drawnWidth(), frame.drawnHeight(), ProjectionMatrix(frame), radius_);
    glFinish();
    if (!lastFrameCoarse_) lastFullFrameSeconds_ = Now() - start;
}
