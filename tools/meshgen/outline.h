// Closed plane outlines that ring grids sweep: rounded rectangles, regular polygons.
#ifndef VESKOP_MESHGEN_OUTLINE_H
#define VESKOP_MESHGEN_OUTLINE_H

#include <vector>

namespace meshgen {

// One outline point as a base point and an outward direction: the outline offset by d lies at
// base + direction * (radius + d), which keeps corners round and edges straight at every offset.
struct OutlinePoint {
    double baseU, baseV;  // on the outline's plane, counter-clockwise order
    double dirU, dirV;    // unit outward direction
};

struct Outline {
    std::vector<OutlinePoint> points;
    double radius = 0;  // corner radius at offset 0
    double U(int i, double offset) const {
        return points[i].baseU + points[i].dirU * (radius + offset);
    }
    double V(int i, double offset) const {
        return points[i].baseV + points[i].dirV * (radius + offset);
    }
    int size() const { return static_cast<int>(points.size()); }
};

// Rectangle of half sizes halfU x halfV with corners rounded to `radius`, `cornerPoints` points
// per corner (ends included) and straight edges divided so that no step exceeds `spacing`. It
// starts at the middle of the +U edge's end, (halfU, -halfV + radius), and runs counter-clockwise.
Outline RoundedRectangle(double halfU, double halfV, double radius, int cornerPoints, double spacing);

// Circle of `radius` about the origin through `points` points, the first at angle 0.
Outline Circle(double radius, int points);

}  // namespace meshgen

#endif
