// The overlays, in the order they are drawn over the spheres. Each draws in
// whole-picture pixels under an OverlayState, so tiles and supersampling
// need nothing of it, at the place the layout gives it, and only when its
// key asks for it. A new overlay is a file of its own whose draw function
// is declared and called here, and whose box is reserved in the layout.
#pragma once

#include "camera/frame_view.h"
#include "overlays/axes_overlay.h"
#include "overlays/caption.h"
#include "overlays/colour_legend.h"
#include "overlays/overlay_layout.h"

inline void DrawOverlays(const WantedOverlays& wanted, const OverlayLayout& layout, const FrameView& frame,
                         const std::string& caption) {
    if (wanted.legend && layout.legend) {
        DrawLegend(*wanted.legend, frame.width, frame.height, frame.tile, *layout.legend);
    }
    if (wanted.axes && layout.axes) DrawAxes(frame, wanted.cellMetres, *layout.axes);
    if (wanted.caption) DrawCaption(caption, frame);
}
