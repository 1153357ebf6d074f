// The overlays, in the order they are drawn over the spheres. Each draws in
// whole-picture pixels under an OverlayState, so tiles and supersampling
// need nothing of it, and only when its key asks for it. A new overlay is a
// file of its own whose draw function is declared and called here.
#pragma once

#include "camera/frame_view.h"
#include "overlays/axes_overlay.h"
#include "overlays/caption.h"
#include "overlays/colour_legend.h"
#include "scene_settings.h"
#include "survey/point_survey.h"

inline void DrawOverlays(const SceneSettings& settings, const PointSurvey& survey, const FrameView& frame,
                         const std::string& caption) {
    DrawLegendIfWanted(settings.options, survey, settings.series, frame);
    DrawAxesIfWanted(settings.options, settings.series, frame);
    DrawCaption(caption, frame);
}
