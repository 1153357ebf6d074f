#include "frame_agreement.h"

#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "messages.h"

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// Equal but for the rounding of coordinates written by different tools.
bool Close(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

bool SameSteps(const std::array<double, 6>& a, const std::array<double, 6>& b) {
    for (int i : {1, 2, 4, 5})
        if (!Close(a[i], b[i], 1e-6 * std::max(std::fabs(a[i]), std::fabs(b[i])))) return false;
    return true;
}

// The origins agree to a thousandth of a cell.
bool SameOrigin(const std::array<double, 6>& a, const std::array<double, 6>& b) {
    const double cell = std::max(std::hypot(a[1], a[4]), std::hypot(a[2], a[5]));
    return Close(a[0], b[0], 1e-3 * cell) && Close(a[3], b[3], 1e-3 * cell);
}

std::string SystemName(const std::string& wkt) {
    if (wkt.empty()) return "none";
    OGRSpatialReference srs;
    const char* name = srs.importFromWkt(wkt.c_str()) == OGRERR_NONE ? srs.GetName() : nullptr;
    return name != nullptr ? Quoted(name) : "unnamed";
}

bool SameSystem(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return a == b;
    OGRSpatialReference first;
    OGRSpatialReference second;
    return first.importFromWkt(a.c_str()) == OGRERR_NONE && second.importFromWkt(b.c_str()) == OGRERR_NONE &&
           first.IsSame(&second);
}

// A cell's size as the configuration's comments give it: metres on the
// ground where known, else in the units of the geotransform.
std::string Cells(const RasterInfo& info) {
    if (info.georeferenced) return Number(info.cellWidth) + " x " + Number(info.cellHeight) + " metres";
    const std::array<double, 6>& t = info.transform;
    return Number(std::hypot(t[1], t[4])) + " x " + Number(std::hypot(t[2], t[5])) + " units";
}

std::string Origin(const RasterInfo& info) {
    return "x " + Number(info.transform[0]) + ", y " + Number(info.transform[3]);
}

// What differs between the georeferencing of `info` and that of `first`,
// the frame named `firstName`; "" when nothing does.
std::string GeoreferencingDifference(const RasterInfo& info, const RasterInfo& first, const std::string& firstName) {
    const std::string where = " where " + Quoted(firstName);
    if (info.hasTransform != first.hasTransform)
        return info.hasTransform ? "georeferenced" + where + " is not" : "not georeferenced" + where + " is";
    if (!info.hasTransform) return "";
    if (!SameSystem(info.coordinateSystem, first.coordinateSystem))
        return "coordinate system " + SystemName(info.coordinateSystem) + where + " has " +
               SystemName(first.coordinateSystem);
    if (!SameSteps(info.transform, first.transform)) return "cells of " + Cells(info) + where + " has " + Cells(first);
    if (!SameOrigin(info.transform, first.transform))
        return "origin at " + Origin(info) + where + " has it at " + Origin(first);
    return "";
}

}  // namespace

std::string FrameMismatch(const std::string& name, const RasterInfo& info, const std::string& firstName,
                          const RasterInfo& first) {
    if (info.width != first.width || info.height != first.height)
        return Quoted(name) + ": " + std::to_string(info.width) + " x " + std::to_string(info.height) +
               " cells where " + Quoted(firstName) + " has " + std::to_string(first.width) + " x " +
               std::to_string(first.height) + "; the frames of a series must all be of one size";
    const std::string difference = GeoreferencingDifference(info, first, firstName);
    if (difference.empty()) return "";
    return Quoted(name) + ": " + difference + "; the frames of a series must all be georeferenced alike";
}
