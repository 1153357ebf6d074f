#include <epoxy/gl.h>

#include "lists/list_renderer.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "shading/fixed_state.h"
#include "shading/height_colours.h"
#include "survey/hidden_spheres.h"
#include "lists/level_order.h"
#include "survey/point_survey.h"
#include "scene_settings.h"
#include "survey/sky_share.h"
#include "survey/point_view.h"

namespace {

// Counts below 1 need no cap: the sphere call draws nothing for them.
int CappedTesel(int tesel) { return tesel > sphereTeselCap ? sphereTeselCap : tesel; }

void SetMaterial(const Colour& diffuse, const Colour& ambient) {
    const GLfloat ambientRgba[] = {ambient[0], ambient[1], ambient[2], 1.0f};
    const GLfloat diffuseRgba[] = {diffuse[0], diffuse[1], diffuse[2], 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambientRgba);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuseRgba);
}

Colour Rgb(const Rgba& c) { return {c[0], c[1], c[2]}; }

Colour Scaled(const Colour& c, float share) { return {c[0] * share, c[1] * share, c[2] * share}; }

class SceneCompiler {
public:
    SceneCompiler(const PointView& points, unsigned sphereList, const std::vector<bool>& enclosed,
                  const ColourRange& range)
        : points_(points), sphereList_(sphereList), enclosed_(enclosed), range_(range) {}

    // Each sphere's material dimmed by its share of the sky over the
    // columns of `table`; it is set again only when the share changes.
    void Occlude(const ColumnTable& table, double radius) {
        table_ = &table;
        sky_.emplace(table.top.data(), table.width, table.depth, 1.0, radius);
    }

    void Sphere(std::size_t i) {
        if (!enclosed_.empty() && enclosed_[i]) return;
        ++spheres;
        if (sky_) Share(i);
        glPushMatrix();
        glTranslated(points_.x[i], points_.y[i], points_.z[i]);
        glCallList(sphereList_);
        glPopMatrix();
    }

    // The material changes once per level, not once per sphere.
    void ByLevel(const PointSurvey& survey) {
        const LevelOrder levels = OrderByLevel(points_, survey);
        for (std::size_t k = 0; k + 1 < levels.start.size(); ++k) {
            if (levels.start[k] == levels.start[k + 1]) continue;
            const double level = levels.lowest + static_cast<double>(k);
            Colours(HeightColour(level, range_.lowest, range_.highest));
            for (std::size_t j = levels.start[k]; j < levels.start[k + 1]; ++j) Sphere(levels.order[j]);
        }
        // Points the grouping cannot order keep the order they were loaded in.
        if (levels.order.empty()) {
            for (std::size_t i = 0; i < points_.count; ++i) {
                Colours(HeightColour(points_.z[i], range_.lowest, range_.highest));
                Sphere(i);
            }
        }
        RedAgain();
    }

    void InOrder() {
        const Lighting& l = sceneLighting;
        diffuse_ = Rgb(l.materialDiffuse), ambient_ = Rgb(l.materialAmbient);
        for (std::size_t i = 0; i < points_.count; ++i) Sphere(i);
        if (sky_) RedAgain();
    }

    std::size_t spheres = 0;

private:
    void Colours(const Colour& diffuse) {
        diffuse_ = diffuse, ambient_ = AmbientFor(diffuse);
        share_ = -1;
        if (!sky_) SetMaterial(diffuse_, ambient_);
    }

    void Share(std::size_t i) {
        const int share = sky_->Byte(static_cast<std::int64_t>(points_.x[i]) - table_->lowestX + 1,
                                     static_cast<std::int64_t>(points_.y[i]) - table_->lowestY + 1,
                                     static_cast<std::int32_t>(points_.z[i]));
        if (share == share_) return;
        share_ = share;
        SetMaterial(Scaled(diffuse_, share / 255.0f), Scaled(ambient_, share / 255.0f));
    }

    // The material outlives the list: the red one is put back for any
    // drawing that follows.
    void RedAgain() {
        const Lighting& l = sceneLighting;
        SetMaterial(Rgb(l.materialDiffuse), Rgb(l.materialAmbient));
    }

    const PointView& points_;
    unsigned sphereList_;
    const std::vector<bool>& enclosed_;
    const ColourRange range_;
    const ColumnTable* table_ = nullptr;
    std::optional<SkyShares> sky_;
    Colour diffuse_{}, ambient_{};
    int share_ = -1;
};

}  // namespace

void ListRenderer::Build(const PointView& points, const PointSurvey& survey, double radius, int tesel,
                         const DisplayOptions& options) {
    const unsigned previous = sphereList_;
    ++builds_;
    sphereList_ = glGenLists(2);

    const int capped = CappedTesel(tesel);
    glNewList(sphereList_, GL_COMPILE);
    glPushMatrix();
    drawSphere_(radius, capped, capped);
    glPopMatrix();
    glEndList();

    // Spheres enclosed by their neighbours can be left out only when asked:
    // by default every point is drawn.
    const std::vector<bool> enclosed =
        options.cullHidden ? EnclosedPoints(points, survey, radius, capped) : std::vector<bool>();

    // One translated instance of the sphere per point, so a frame costs a
    // single list call and the point arrays are walked only here. Back faces
    // are not culled either: at a sphere's outline a back face can tie in
    // depth with the front face sharing its edge and win the pixel, so
    // culling it would change the picture.
    SceneCompiler compile(points, sphereList_, enclosed, ColoursOf(options, survey));
    if (options.ambientOcclusion && !survey.columns.empty()) compile.Occlude(survey.columns, radius);
    glNewList(sceneList(), GL_COMPILE);
    if (options.colourByHeight) {
        compile.ByLevel(survey);
    } else {
        compile.InOrder();
    }
    glEndList();
    spheres_ = compile.spheres;

    // Without this every "+" or "-" would leak a sphere's worth of geometry
    // and a scene list.
    if (previous != 0) glDeleteLists(previous, 2);
}

void ListRenderer::Draw() const { glCallList(sceneList()); }
