#include "outline.h"

#include "mesh_builder.h"

#include <cmath>

namespace meshgen {

Outline RoundedRectangle(double halfU, double halfV, double radius, int cornerPoints, double spacing) {
    Outline outline;
    outline.radius = radius;
    const double cu = halfU - radius, cv = halfV - radius;
    // Corner centres counter-clockwise from (+, +); each corner's arc starts where the last
    // corner's straight edge ends.
    const double centreU[4] = {cu, -cu, -cu, cu};
    const double centreV[4] = {cv, cv, -cv, -cv};
    // The +U edge comes first, so start at the end of corner 3's arc, then walk the edges.
    for (int corner = 0; corner < 4; ++corner) {
        int previous = (corner + 3) % 4;
        double fromU = centreU[previous], fromV = centreV[previous];
        double toU = centreU[corner], toV = centreV[corner];
        double edge = Hypot(toU - fromU, toV - fromV);
        double startAngle = corner * Pi / 2;
        double dirU = Cos(startAngle), dirV = Sin(startAngle);
        int steps = static_cast<int>(std::ceil(edge / spacing - 1e-9));
        if (steps < 1) steps = 1;
        for (int s = 1; s < steps; ++s) {
            double t = static_cast<double>(s) / steps;
            outline.points.push_back({Lerp(fromU, toU, t), Lerp(fromV, toV, t), dirU, dirV});
        }
        for (int k = 0; k < cornerPoints; ++k) {
            double angle = startAngle + (Pi / 2) * k / (cornerPoints - 1);
            outline.points.push_back({toU, toV, Cos(angle), Sin(angle)});
        }
    }
    return outline;
}

Outline Circle(double radius, int points) {
    Outline outline;
    outline.radius = radius;
    for (int i = 0; i < points; ++i) {
        double angle = 2 * Pi * i / points;
        outline.points.push_back({0, 0, Cos(angle), Sin(angle)});
    }
    return outline;
}

}  // namespace meshgen
