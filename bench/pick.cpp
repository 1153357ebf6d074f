// Measures what pelorin-render --probe does: how long a pick takes, and
// whether it names the sphere the picture shows. Both run in a folder whose
// config.txt names the scene, at the opening view of an 800x600 picture.
//
//   bench_pick time STEP
//       makes the scene's survey and opening view as the programs make them,
//       without OpenGL (neither needs a context), then times the pick and
//       its line (PickPixel and PickLine) at every STEP-th pixel of every
//       STEP-th row, one pixel at a time, each pixel in five passes.
//       Prints "setup <s>" (load, survey and view), "picks <n>", "hits <n>",
//       "median <s>", "p99 <s>" and "worst <s>" with its pixel (of each
//       pixel's fastest pass), "median-hit <s>" (the same over the pixels
//       that show a sphere) and "slowest-single <s>" (of every pass).
//
//   bench_pick exact [background]
//       makes pelorin-render's scene (EGL, no display) and draws a picture of
//       each pixel's sphere: every sphere the pick may name ray-cast exactly
//       through the pixel's centre with the matrices the renderers draw with,
//       its cell written as the pixel's value. Compares the pick's line at
//       every pixel with it ("covered", "agree", "disagree", "disagree-edge":
//       those next to a pixel of another cell, "pick-only": the pick names a
//       sphere where the cell picture shows none) unless `background` is
//       given, and the scene's own picture's background with it
//       ("drawn-agree", "drawn-edge": the disagreeing pixels next to another
//       cell). Without a context it prints "no-context <why>" and ends with
//       status 3.
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "asc_grid.h"
#include "bench_clock.h"
#include "config_store.h"
#include "data_file.h"
#include "lists/sphere_mesh.h"
#include "offscreen_scene.h"
#include "picking/pick_line.h"
#include "picking/pick_terms.h"
#include "picking/sphere_pick.h"
#include "scene.h"

namespace {

const int pictureWidth = 800, pictureHeight = 600;

int Fail(const std::string& message) {
    std::fprintf(stderr, "bench_pick: %s\n", message.c_str());
    return 1;
}

// ---- time ------------------------------------------------------------------

int TimePicks(int step) {
    const double start = Now();
    // What OffscreenScene makes, less the context: the pick reads only the
    // survey, the points and the camera.
    ConfigStore config("config.txt", nullptr, nullptr, nullptr);
    Scene scene(ReadSceneSettings(config), DrawSphereMesh);
    const std::string file = FirstDataFile(config);
    const SurfData points(file, SurfaceUseFor(config), LevelMappingOf(scene.settings().series));
    scene.SetSurface(SurfaceOf(points));
    FrameView view;
    view.camera = scene.OpeningCamera(pictureWidth, pictureHeight);
    view.width = pictureWidth;
    view.height = pictureHeight;
    view.projection = scene.ProjectionFor(StartProjection(), view.camera);
    const SceneSettings& settings = scene.settings();
    const PickTerms terms = PickTermsFor(settings, points, file);
    const double setup = Now() - start;

    // Every pixel is timed in each of `rounds` passes and keeps its fastest:
    // the pick's own cost, without the moments the machine's other work
    // takes the core away. The slowest single pick is printed beside it.
    const int rounds = 5;
    std::vector<int> xs, ys;
    for (int y = step / 2; y < pictureHeight; y += step) {
        for (int x = step / 2; x < pictureWidth; x += step) xs.push_back(x), ys.push_back(y);
    }
    std::vector<double> fastest(xs.size(), 1e30);
    std::vector<bool> hit(xs.size());
    std::size_t hits = 0, characters = 0;
    double slowest = 0;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < xs.size(); ++i) {
            const double before = Now();
            const SpherePick pick =
                PickPixel(view, xs[i], ys[i], scene.survey(), scene.surface().points, settings.sphereRadius);
            const std::string line = PickLine(xs[i], ys[i], pick, terms);
            const double took = Now() - before;
            fastest[i] = std::min(fastest[i], took);
            slowest = std::max(slowest, took);
            hit[i] = pick.hit;
            // Kept, so the line is really made.
            characters += line.size();
        }
    }
    std::vector<double> onTerrain;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (hit[i]) onTerrain.push_back(fastest[i]), ++hits;
    }
    const std::size_t worst =
        static_cast<std::size_t>(std::max_element(fastest.begin(), fastest.end()) - fastest.begin());
    std::vector<double> sorted = fastest;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(0.99 * sorted.size()))];
    std::printf("setup %.6f\npicks %zu\nrounds %d\nhits %zu\ncharacters %zu\n", setup, xs.size(), rounds, hits,
                characters);
    std::printf("median-hit %.9f\n", onTerrain.empty() ? 0.0 : Median(onTerrain));
    std::printf("median %.9f\np99 %.9f\nworst %.9f %d,%d\nslowest-single %.9f\n", Median(fastest), p99, fastest[worst],
                xs[worst], ys[worst], slowest);
    return 0;
}

// ---- the picture of cells ----------------------------------------------------

// One sphere a point; the geometry shader turns it into the screen rectangle
// that holds its sphere's cube, and the fragment shader meets the pixel's ray
// with the true sphere.
const char* const vertexSource = R"(#version 330
layout(location = 0) in ivec3 cell;
flat out ivec3 vertexCell;
void main() { vertexCell = cell; }
)";

const char* const geometrySource = R"(#version 330
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;
uniform mat4 mvp;
uniform float radius;
uniform vec2 pixel;
flat in ivec3 vertexCell[];
flat out ivec3 fragmentCell;
void main() {
    vec3 centre = vec3(vertexCell[0]);
    vec2 low = vec2(1e30), high = vec2(-1e30);
    bool behind = false;
    for (int i = 0; i < 8; ++i) {
        vec3 corner = centre + radius * vec3((i & 1) != 0 ? 1 : -1, (i & 2) != 0 ? 1 : -1, (i & 4) != 0 ? 1 : -1);
        vec4 clip = mvp * vec4(corner, 1);
        if (clip.w <= 1e-6) behind = true;
        vec2 ndc = clip.xy / clip.w;
        low = min(low, ndc);
        high = max(high, ndc);
    }
    // A cube reaching behind the eye may cover any part of the picture.
    if (behind) low = vec2(-1), high = vec2(1);
    low -= 2 * pixel;
    high += 2 * pixel;
    if (any(greaterThan(low, vec2(1))) || any(lessThan(high, vec2(-1)))) return;
    for (int i = 0; i < 4; ++i) {
        fragmentCell = vertexCell[0];
        gl_Position = vec4((i & 1) != 0 ? high.x : low.x, (i & 2) != 0 ? high.y : low.y, 0, 1);
        EmitVertex();
    }
    EndPrimitive();
}
)";

// The ray through the pixel's centre comes from the inverse of the drawing's
// own matrices, and its entry into the sphere from the point of closest
// approach, which keeps its precision far from the eye. Depth is the entry's
// distance in front of the eye, between the clipping planes.
const char* const fragmentSource = R"(#version 330
uniform mat4 inverseMvp;
uniform vec2 viewport;
uniform vec3 eye;
uniform vec4 depthRow;
uniform float nearPlane;
uniform float farPlane;
uniform float radius;
flat in ivec3 fragmentCell;
out uvec4 cellOut;
void main() {
    vec2 ndc = 2 * gl_FragCoord.xy / viewport - 1;
    vec4 a = inverseMvp * vec4(ndc, -1, 1);
    vec4 b = inverseMvp * vec4(ndc, 1, 1);
    vec3 direction = normalize(b.xyz / b.w - a.xyz / a.w);
    vec3 offset = eye - vec3(fragmentCell);
    float along = -dot(offset, direction);
    vec3 closest = offset + along * direction;
    float miss = dot(closest, closest);
    if (miss > radius * radius) discard;
    vec3 entry = eye + (along - sqrt(radius * radius - miss)) * direction;
    float depth = -(dot(depthRow.xyz, entry) + depthRow.w);
    if (depth < nearPlane || depth > farPlane) discard;
    gl_FragDepth = (depth - nearPlane) / (farPlane - nearPlane);
    cellOut = uvec4(uvec3(fragmentCell), 1u);
}
)";

std::string Compile(GLuint shader, const char* source) {
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint done = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &done);
    if (done) return "";
    char log[2048] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    return log;
}

using Matrix = std::array<double, 16>;  // column-major

Matrix Product(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            for (int k = 0; k < 4; ++k) m[4 * c + r] += a[4 * k + r] * b[4 * c + k];
        }
    }
    return m;
}

// Gauss-Jordan with partial pivoting; the matrices here are well conditioned.
Matrix Inverse(Matrix m) {
    Matrix inverse{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    auto at = [](Matrix& x, int r, int c) -> double& { return x[4 * c + r]; };
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r) {
            if (std::fabs(at(m, r, c)) > std::fabs(at(m, pivot, c))) pivot = r;
        }
        for (int k = 0; k < 4; ++k)
            std::swap(at(m, c, k), at(m, pivot, k)), std::swap(at(inverse, c, k), at(inverse, pivot, k));
        const double scale = 1 / at(m, c, c);
        for (int k = 0; k < 4; ++k) at(m, c, k) *= scale, at(inverse, c, k) *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double factor = at(m, r, c);
            for (int k = 0; k < 4; ++k)
                at(m, r, k) -= factor * at(m, c, k), at(inverse, r, k) -= factor * at(inverse, c, k);
        }
    }
    return inverse;
}

std::array<float, 16> Floats(const Matrix& m) {
    std::array<float, 16> f;
    for (int i = 0; i < 16; ++i) f[i] = static_cast<float>(m[i]);
    return f;
}

// A pixel's cell: its grid column and row, its level, and whether a sphere
// is there at all.
struct Cell {
    std::int64_t x = 0, y = 0, level = 0;
    bool hit = false;
    bool operator==(const Cell& o) const {
        return hit == o.hit && (!hit || (x == o.x && y == o.y && level == o.level));
    }
    bool operator!=(const Cell& o) const { return !(*this == o); }
};

// The spheres the pick may name: every level of every column from `floor`
// up, from the grid or from the points.
std::vector<std::int32_t> SphereCells(const SurfData& data, std::int32_t floor) {
    std::vector<std::int32_t> cells;
    if (!data.grid.empty()) {
        for (std::int64_t row = 0; row < data.grid.rows; ++row) {
            for (std::int64_t column = 0; column < data.grid.columns; ++column) {
                for (std::int32_t level = floor; level <= data.grid.at(column, row); ++level) {
                    cells.insert(cells.end(),
                                 {static_cast<std::int32_t>(column), static_cast<std::int32_t>(row), level});
                }
            }
        }
        return cells;
    }
    for (std::size_t i = 0; i < data.x.size(); ++i) {
        const auto level = static_cast<std::int32_t>(std::lround(data.z[i]));
        if (level < floor) continue;
        cells.insert(cells.end(), {static_cast<std::int32_t>(std::lround(data.x[i])),
                                   static_cast<std::int32_t>(std::lround(data.y[i])), level});
    }
    return cells;
}

// Each pixel's cell, row by row from the top. Empty, with `error`, on failure.
std::vector<Cell> CellPicture(const FrameView& view, const std::vector<std::int32_t>& cells, double radius,
                              std::string& error) {
    const int width = view.width, height = view.height;
    GLuint framebuffer = 0, colour = 0, depth = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colour);
    glGenRenderbuffers(1, &depth);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA32UI, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        error = "no integer framebuffer of " + std::to_string(width) + "x" + std::to_string(height);
        return {};
    }

    const GLuint program = glCreateProgram();
    const GLenum kinds[] = {GL_VERTEX_SHADER, GL_GEOMETRY_SHADER, GL_FRAGMENT_SHADER};
    const char* sources[] = {vertexSource, geometrySource, fragmentSource};
    for (int i = 0; i < 3; ++i) {
        const GLuint shader = glCreateShader(kinds[i]);
        error = Compile(shader, sources[i]);
        if (!error.empty()) return {};
        glAttachShader(program, shader);
    }
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        error = "the cell picture's shaders do not link";
        return {};
    }

    // The very matrices the renderers draw with, as the driver holds them.
    LoadFrame(view);
    Matrix projection, modelview;
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
    const Matrix mvp = Product(projection, modelview);
    const Matrix inverseModelview = Inverse(modelview);
    // gluPerspective's planes, read back from its matrix.
    const double nearPlane = projection[14] / (projection[10] - 1);
    const double farPlane = projection[14] / (projection[10] + 1);

    glUseProgram(program);
    const std::array<float, 16> mvpFloats = Floats(mvp), inverseFloats = Floats(Inverse(mvp));
    glUniformMatrix4fv(glGetUniformLocation(program, "mvp"), 1, GL_FALSE, mvpFloats.data());
    glUniformMatrix4fv(glGetUniformLocation(program, "inverseMvp"), 1, GL_FALSE, inverseFloats.data());
    glUniform1f(glGetUniformLocation(program, "radius"), static_cast<float>(radius));
    glUniform2f(glGetUniformLocation(program, "pixel"), 2.0f / width, 2.0f / height);
    glUniform2f(glGetUniformLocation(program, "viewport"), static_cast<float>(width), static_cast<float>(height));
    glUniform3f(glGetUniformLocation(program, "eye"), static_cast<float>(inverseModelview[12]),
                static_cast<float>(inverseModelview[13]), static_cast<float>(inverseModelview[14]));
    glUniform4f(glGetUniformLocation(program, "depthRow"), static_cast<float>(modelview[2]),
                static_cast<float>(modelview[6]), static_cast<float>(modelview[10]), static_cast<float>(modelview[14]));
    glUniform1f(glGetUniformLocation(program, "nearPlane"), static_cast<float>(nearPlane));
    glUniform1f(glGetUniformLocation(program, "farPlane"), static_cast<float>(farPlane));

    GLuint array = 0, buffer = 0;
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(cells.size() * sizeof(std::int32_t)), cells.data(),
                 GL_STATIC_DRAW);
    glVertexAttribIPointer(0, 3, GL_INT, 0, nullptr);
    glEnableVertexAttribArray(0);

    const GLuint nothing[4] = {0, 0, 0, 0};
    glClearBufferuiv(GL_COLOR, 0, nothing);
    glClearDepth(1);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(cells.size() / 3));

    std::vector<GLuint> values(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA_INTEGER, GL_UNSIGNED_INT, values.data());
    if (glGetError() != GL_NO_ERROR) {
        error = "the cell picture could not be drawn or read back";
        return {};
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);

    std::vector<Cell> picture(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Read back from the bottom row up.
            const GLuint* v = &values[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4];
            picture[static_cast<std::size_t>(y) * width + x] = {v[0], v[1], v[2], v[3] != 0};
        }
    }
    return picture;
}

// Whether a neighbour of (x, y), the eight around it, holds another cell.
bool AtEdge(const std::vector<Cell>& picture, int width, int height, int x, int y) {
    const Cell& here = picture[static_cast<std::size_t>(y) * width + x];
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
            if (picture[static_cast<std::size_t>(ny) * width + nx] != here) return true;
        }
    }
    return false;
}

// The pick's line read back into a cell in grid terms: the line counts
// columns and rows from 1, and the rows of an .asc file from the north.
Cell CellOfLine(const std::string& line, std::int64_t rows, bool northFirst) {
    Cell cell;
    const std::size_t colon = line.find(": ");
    long long column = 0, row = 0, level = 0;
    if (colon == std::string::npos ||
        std::sscanf(line.c_str() + colon + 2, "column %lld, row %lld, level %lld", &column, &row, &level) != 3) {
        return cell;
    }
    cell.hit = true;
    cell.x = column - 1;
    cell.y = northFirst ? rows - row : row - 1;
    cell.level = level;
    return cell;
}

int Exact(bool backgroundOnly) {
    OffscreenScene scene;
    if (!scene.ok()) {
        std::printf("no-context %s\n", scene.error().c_str());
        return 3;
    }
    std::printf("renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    const FrameView view = scene.View(pictureWidth, pictureHeight);
    const SceneSettings& settings = scene.settings();
    // The pick leaves out what the impostors leave out below the floor.
    const std::int32_t floor = settings.options.renderer == Renderer::impostors ? settings.options.floor : 0;
    // The scene keeps no points of its own for the impostors: the file it
    // opened is read again, as the points, the mapping as it read it.
    const SurfData data(scene.firstFile(), SurfaceUse::points, LevelMappingOf(settings.series));
    const std::vector<std::int32_t> cells = SphereCells(data, floor);
    std::string error;
    const std::vector<Cell> ids = CellPicture(view, cells, settings.sphereRadius, error);
    if (ids.empty()) return Fail(error);
    std::printf("spheres %zu\n", cells.size() / 3);

    std::size_t covered = 0;
    for (const Cell& cell : ids) covered += cell.hit ? 1 : 0;
    std::printf("pixels %d\ncovered %zu\n", pictureWidth * pictureHeight, covered);

    if (!backgroundOnly) {
        const std::int64_t rows = data.gridRows;
        const bool northFirst = IsAscFile(scene.firstFile());
        std::size_t agree = 0, disagree = 0, disagreeEdge = 0, pickOnly = 0, pickOnlyEdge = 0;
        for (int y = 0; y < pictureHeight; ++y) {
            for (int x = 0; x < pictureWidth; ++x) {
                const Cell& id = ids[static_cast<std::size_t>(y) * pictureWidth + x];
                const Cell picked = CellOfLine(scene.PickLine(view, x, y), rows, northFirst);
                const bool edge = AtEdge(ids, pictureWidth, pictureHeight, x, y);
                if (id.hit && picked == id) {
                    ++agree;
                } else if (id.hit) {
                    ++disagree;
                    disagreeEdge += edge ? 1 : 0;
                } else if (picked.hit) {
                    ++pickOnly;
                    pickOnlyEdge += edge ? 1 : 0;
                }
            }
        }
        std::printf("agree %zu\ndisagree %zu\ndisagree-edge %zu\npick-only %zu\npick-only-edge %zu\n", agree, disagree,
                    disagreeEdge, pickOnly, pickOnlyEdge);
    }

    // The scene's own picture: is there a sphere or the background there?
    PictureRequest request;
    request.width = pictureWidth;
    request.height = pictureHeight;
    const Image drawn = scene.Draw(view, request);
    if (drawn.pixels.empty()) return Fail(scene.pictureError());
    std::size_t drawnAgree = 0, drawnEdge = 0, drawnOnly = 0, idsOnly = 0;
    for (int y = 0; y < pictureHeight; ++y) {
        for (int x = 0; x < pictureWidth; ++x) {
            const int imageRow = drawn.bottomUp ? pictureHeight - 1 - y : y;
            const unsigned char* p =
                &drawn.pixels[(static_cast<std::size_t>(imageRow) * drawn.width + x) * drawn.channels];
            // The picture is cleared to white.
            const bool sphere = p[0] != 255 || p[1] != 255 || p[2] != 255;
            const bool idHit = ids[static_cast<std::size_t>(y) * pictureWidth + x].hit;
            if (sphere == idHit) {
                ++drawnAgree;
                continue;
            }
            (sphere ? drawnOnly : idsOnly) += 1;
            drawnEdge += AtEdge(ids, pictureWidth, pictureHeight, x, y) ? 1 : 0;
        }
    }
    std::printf("drawn-agree %zu\ndrawn-only %zu\ncells-only %zu\ndrawn-edge %zu\n", drawnAgree, drawnOnly, idsOnly,
                drawnEdge);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "time" && argc == 3) return TimePicks(std::max(1, std::atoi(argv[2])));
    if (mode == "exact" && argc == 2) return Exact(false);
    if (mode == "exact" && argc == 3 && std::string(argv[2]) == "background") return Exact(true);
    return Fail("usage: bench_pick time STEP | exact [background]");
}
