// The meshes' corners for the bare WebGL page (bare_scenes.js), which draws the same geometry
// with its own shaders as the yardstick of the layer's speed.
#include <emscripten.h>

#include <vector>

#include "demo/meshes/mesh_data.h"

namespace {

// Per corner: position x y z, normal x y z.
std::vector<float> Corners;

template <typename Triangle>
void AddCorners(const Triangle* triangles, int count, const MeshPosition* positions,
                const MeshNormal* normals) {
    for (int t = 0; t < count; t++) {
        for (int corner = 0; corner < 3; corner++) {
            const MeshPosition& p = positions[triangles[t].position[corner]];
            const MeshNormal& n = normals[triangles[t].normal[corner]];
            Corners.insert(Corners.end(), {p.x, p.y, p.z, n.x, n.y, n.z});
        }
    }
}

}  // namespace

// Mesh 0, 1 or 2 (A, B, C): *count corners of six floats each, valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const float* MeshCorners(int mesh, int* count) {
    Corners.clear();
    if (mesh == 0) AddCorners(MeshA.triangles, MeshA.triangleCount, MeshA.positions, MeshA.normals);
    if (mesh == 1) AddCorners(MeshB.triangles, MeshB.triangleCount, MeshB.positions, MeshB.normals);
    if (mesh == 2) AddCorners(MeshC.triangles, MeshC.triangleCount, MeshC.positions, MeshC.normals);
    *count = static_cast<int>(Corners.size() / 6);
    return Corners.data();
}
