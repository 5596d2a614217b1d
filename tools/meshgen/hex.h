// Hex prisms chamfered by a 30-degree cone, as on bolt heads and nuts.
#ifndef VESKOP_MESHGEN_HEX_H
#define VESKOP_MESHGEN_HEX_H

#include "mesh_builder.h"

namespace meshgen {

struct HexShape {
    double flat;            // axis to the middle of a flat
    double chamferRadius;   // where the chamfer cone meets the face; below `flat`
    // Distance from the axis to the hex outline at `angle`; corners at multiples of 60 degrees.
    double Radius(double angle) const;
    // How far in from a chamfered face the cone meets the hex outline at `angle`.
    double ChamferDepth(double angle) const;
};

// A hex nut from `from` to `to` along the frame's axis, chamfered on both faces, around a plain
// bore; `flatColumns` columns per flat. A torus: it adds nothing to the mesh's Euler count.
void AddHexNut(MeshBuilder& mesh, const Frame& frame, double from, double to, const HexShape& hex, double bore,
               int flatColumns);

}  // namespace meshgen

#endif
