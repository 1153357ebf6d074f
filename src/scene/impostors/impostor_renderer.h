// The renderer of "display/renderer = impostors": every sphere a true sphere,
// ray-cast per pixel from one triangle, lit with the fixed-function formulas
// and the scene's light and material (or the height colours), with the depth
// of the true surface. The GPU keeps three floats per drawn sphere. The
// tessellation plays no part.
//
// It draws into whatever context is current when its functions are called,
// always the same one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "camera/frame_view.h"
#include "impostors/impostor_arrangement.h"
#include "impostors/layer_light.h"
#include "impostors/outline_pass.h"
#include "impostors/sphere_chunks.h"
#include "scene_settings.h"
#include "survey/point_view.h"

struct PointSurvey;

class ImpostorRenderer {
public:
    // Sets the shader path up in the current context. Returns why it cannot
    // (an OpenGL below 3.3 without buffer textures of three floats, or
    // shaders that do not compile or link), or "" when it can. `refuse`
    // makes the fragment shader one that does not compile, and
    // `refuseBuffer` every buffer for the spheres fail to be made, to test
    // those roads on any driver; `largestChunk` (when not 0) takes buffer
    // textures of at most that many spheres, to test the split buffer.
    std::string Start(bool refuse, bool refuseBuffer = false, std::size_t largestChunk = 0);

    // Fills the GPU buffer for these points, radius and cull setting, with
    // the coarser levels of far views when `levelOfDetail`, unless the last
    // fill was for the same ones. Returns why the buffer cannot hold the
    // spheres, or "".
    std::string Prepare(const PointView& points, const PointSurvey& survey, double radius, bool cullHidden,
                        bool levelOfDetail, bool occlusion = false);

    // Takes the spheres of `points`, placed elsewhere (on another thread) as
    // Prepare would place them with these settings, into the GPU buffer.
    // Returns why the buffer cannot hold them, or "".
    std::string Take(const PlacedImpostors& placed, const PointView& points, bool cullHidden, bool levelOfDetail);

    // Makes the next Prepare fill afresh, for a point set that changed in place.
    void Forget() { filled_ = false; }

    // Draws every tile that can reach into the frame's view volume, with
    // levels of detail each at the level the size of its spheres asks for,
    // and only every other row and column of spheres or blocks while the
    // frame is dragged and the latest full frame took longer than
    // coarseAfterSeconds. Ends with glFinish, so a full frame's time is
    // known.
    // With `outlines`, dark lines where depth jumps are drawn over the
    // spheres (outline_pass.h).
    void Draw(const FrameView& frame, bool colourByHeight, const ColourRange& colours, bool outlines = false);

    // Full-detail spheres in the buffer, and spheres drawn by the latest frame.
    std::size_t spheres() const { return tiles_.spheres; }
    std::size_t lastFrameSpheres() const { return lastFrameSpheres_; }
    bool lastFrameCoarse() const { return lastFrameCoarse_; }

    // Full frames slower than this give way to the reduced set while
    // dragging: 1/25 s, below which motion still looks smooth.
    double coarseAfterSeconds = 1.0 / 25;
    // Spheres that show narrower than this many pixels give way to a
    // coarser level.
    double detailThreshold = 1.5;
    // Spheres up to this many pixels wide are lit with the average light of
    // the terrain's face they stand in, which is what a fine picture blends
    // their pixels into; from the second on exactly, and between by a blend.
    // Blocks of the coarser levels stand for many spheres: always averaged.
    float averagedBelowPixels = 1.5f, exactFromPixels = 3.0f;
    // Whether frames leave out the tiles outside the view; turned off only to
    // compare pictures.
    bool skipOutsideTiles = true;

private:
    struct FillKey {
        const void* source = nullptr;  // the points, or the columns without them
        std::size_t count = 0;
        double radius = 0;
        bool cull = false;
        bool levels = false;
        bool occlusion = false;
        bool operator==(const FillKey& o) const {
            return source == o.source && count == o.count && radius == o.radius && cull == o.cull &&
                   levels == o.levels && occlusion == o.occlusion;
        }
    };

    // Sets the camera, light and colour uniforms; returns the frame's
    // projection times modelview, to cull the tiles with.
    Matrix4 SetUniforms(const FrameView& frame, bool colourByHeight, const ColourRange& colours);
    void SetFaceLights(const Matrix4& modelview);
    // The runs of the frame at each level, 0 first.
    std::vector<LevelDraws> Plan(const FrameView& frame, const Matrix4& clip) const;
    // Allocates the buffers for `spheres` and their traits (open faces, and
    // shares of the sky with `occlusion`) and lets `write(centres, traits)`
    // fill their memory;
    // returns why it could not, or "".
    template <typename Write>
    std::string Fill(std::size_t spheres, bool occlusion, Write write);
    void Keep(const ImpostorTiles& tiles, double radius);
    // Draws the runs (in spheres) a chunk of the buffer at a time.
    void DrawChunks(const std::vector<std::int32_t>& firsts, const std::vector<std::int32_t>& counts);

    unsigned program_ = 0;
    unsigned buffer_ = 0;
    std::size_t capacity_ = 0;  // bytes of the buffer's storage
    unsigned traitsBuffer_ = 0;
    SphereChunks chunks_;
    std::size_t traitsCapacity_ = 0;
    bool occluded_ = false;  // the spheres in the buffer have shares of the sky
    bool refuseBuffer_ = false;
    OutlinePass outlines_;
    ImpostorTiles tiles_;
    double radius_ = 0;
    bool filled_ = false;
    FillKey filledFor_;
    std::size_t lastFrameSpheres_ = 0;
    bool lastFrameCoarse_ = false;
    double lastFullFrameSeconds_ = 0;
    // The light of the terrain's faces, for the view it was worked out for.
    FaceLights faces_;
    std::array<double, 10> facesFor_{};
};
