// The compiled-in mesh arrays themselves: counts, box, normals, winding, references, closedness,
// and MeshA's fixed material, run and texture coordinate.
#include "demo/meshes/mesh_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// One mesh in a common form, so every check runs on all three.
struct MeshUnderTest {
    std::string name;
    std::vector<std::array<int, 3>> position, normal;  // per triangle, corners 0..2
    const MeshPosition* positions;
    int positionCount;
    int referencedPositionCount;
    const MeshNormal* normals;
    int normalCount;
    float half[3];  // the box's half sizes
};

std::vector<MeshUnderTest> AllMeshes() {
    std::vector<MeshUnderTest> meshes(3);
    meshes[0] = {"MeshA", {}, {}, MeshA.positions, MeshA.positionCount, MeshAReferencedPositionCount,
                 MeshA.normals, MeshA.normalCount, {0.5f, 0.121029f, 0.118348f}};
    for (int t = 0; t < MeshA.triangleCount; ++t) {
        const auto& tri = MeshA.triangles[t];
        meshes[0].position.push_back({tri.position[0], tri.position[1], tri.position[2]});
        meshes[0].normal.push_back({tri.normal[0], tri.normal[1], tri.normal[2]});
    }
    const MeshView* plain[2] = {&MeshB, &MeshC};
    const float halves[2][3] = {{0.5f, 0.099559f, 0.0644042f}, {0.5f, 0.0981277f, 0.060513f}};
    for (int m = 0; m < 2; ++m) {
        const MeshView& view = *plain[m];
        MeshUnderTest& mesh = meshes[m + 1];
        mesh.name = m == 0 ? "MeshB" : "MeshC";
        mesh.positions = view.positions;
        mesh.positionCount = view.positionCount;
        mesh.referencedPositionCount = view.positionCount;
        mesh.normals = view.normals;
        mesh.normalCount = view.normalCount;
        std::copy(halves[m], halves[m] + 3, mesh.half);
        for (int t = 0; t < view.triangleCount; ++t) {
            const auto& tri = view.triangles[t];
            mesh.position.push_back({tri.position[0], tri.position[1], tri.position[2]});
            mesh.normal.push_back({tri.normal[0], tri.normal[1], tri.normal[2]});
        }
    }
    return meshes;
}

const std::vector<MeshUnderTest>& Meshes() {
    static const std::vector<MeshUnderTest> meshes = AllMeshes();
    return meshes;
}

float Coordinate(const MeshPosition& p, int axis) { return axis == 0 ? p.x : (axis == 1 ? p.y : p.z); }

}  // namespace

TEST(MeshData, ViewsCarryTheArraysAndTheirCounts) {
    EXPECT_EQ(MeshA.triangles, MeshATriangles);
    EXPECT_EQ(MeshA.triangleCount, 4631);
    EXPECT_EQ(MeshA.positions, MeshAPositions);
    EXPECT_EQ(MeshA.positionCount, 2331);
    EXPECT_EQ(MeshA.normals, MeshANormals);
    EXPECT_EQ(MeshA.normalCount, 3715);
    EXPECT_EQ(MeshA.texcoordCount, 1);
    EXPECT_EQ(MeshA.materialCount, 1);
    EXPECT_EQ(MeshA.materialRunCount, 1);
    EXPECT_EQ(MeshB.triangles, MeshBTriangles);
    EXPECT_EQ(MeshB.triangleCount, 11016);
    EXPECT_EQ(MeshB.positionCount, 5556);
    EXPECT_EQ(MeshB.normals, MeshBNormals);
    EXPECT_EQ(MeshB.normalCount, 9136);
    EXPECT_EQ(MeshC.triangles, MeshCTriangles);
    EXPECT_EQ(MeshC.triangleCount, 9936);
    EXPECT_EQ(MeshC.positionCount, 5012);
    EXPECT_EQ(MeshC.normals, MeshCNormals);
    EXPECT_EQ(MeshC.normalCount, 8190);
    for (const auto& mesh : Meshes()) EXPECT_GT(mesh.normalCount, mesh.positionCount) << mesh.name;
}

TEST(MeshData, BoxesAreSymmetricWithExactSinglePrecisionBounds) {
    for (const auto& mesh : Meshes()) {
        for (int axis = 0; axis < 3; ++axis) {
            float low = Coordinate(mesh.positions[0], axis), high = low;
            for (int i = 0; i < mesh.positionCount; ++i) {
                low = std::min(low, Coordinate(mesh.positions[i], axis));
                high = std::max(high, Coordinate(mesh.positions[i], axis));
            }
            EXPECT_EQ(high, mesh.half[axis]) << mesh.name << " axis " << axis;
            EXPECT_EQ(low, -mesh.half[axis]) << mesh.name << " axis " << axis;
        }
        // x is the longest extent.
        EXPECT_GT(mesh.half[0], mesh.half[1]);
        EXPECT_GT(mesh.half[0], mesh.half[2]);
    }
}

TEST(MeshData, NormalsAreUnitLength) {
    for (const auto& mesh : Meshes()) {
        for (int i = 0; i < mesh.normalCount; ++i) {
            const MeshNormal& n = mesh.normals[i];
            double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
            ASSERT_NEAR(length, 1.0, 1e-6) << mesh.name << " normal " << i;
        }
    }
}

TEST(MeshData, IndicesAreInRangeAndNoTriangleRepeatsAPosition) {
    for (const auto& mesh : Meshes()) {
        for (size_t t = 0; t < mesh.position.size(); ++t) {
            const auto& p = mesh.position[t];
            for (int k = 0; k < 3; ++k) {
                ASSERT_GE(p[k], 0) << mesh.name << " triangle " << t;
                ASSERT_LT(p[k], mesh.referencedPositionCount) << mesh.name << " triangle " << t;
                ASSERT_GE(mesh.normal[t][k], 0) << mesh.name << " triangle " << t;
                ASSERT_LT(mesh.normal[t][k], mesh.normalCount) << mesh.name << " triangle " << t;
            }
            ASSERT_TRUE(p[0] != p[1] && p[1] != p[2] && p[0] != p[2]) << mesh.name << " triangle " << t;
        }
    }
}

// Every position and normal is sent by some triangle, except MeshA's last two positions; so the
// largest indices are the counts less one (MeshA: position 2328, normal 3714).
TEST(MeshData, EveryEntryIsReferencedExceptMeshAsLastTwoPositions) {
    for (const auto& mesh : Meshes()) {
        std::vector<bool> positionUsed(mesh.positionCount), normalUsed(mesh.normalCount);
        for (size_t t = 0; t < mesh.position.size(); ++t) {
            for (int k = 0; k < 3; ++k) {
                positionUsed[mesh.position[t][k]] = true;
                normalUsed[mesh.normal[t][k]] = true;
            }
        }
        for (int i = 0; i < mesh.positionCount; ++i) {
            EXPECT_EQ(positionUsed[i], i < mesh.referencedPositionCount) << mesh.name << " position " << i;
        }
        for (int i = 0; i < mesh.normalCount; ++i) EXPECT_TRUE(normalUsed[i]) << mesh.name << " normal " << i;
    }
    EXPECT_EQ(MeshAReferencedPositionCount, 2329);
}

// Seen from the side its corner normals point to, each triangle runs counter-clockwise: its
// geometric normal (b - a) x (c - a) leans the same way as every corner normal.
TEST(MeshData, TrianglesWindCounterClockwiseSeenFromTheirNormals) {
    for (const auto& mesh : Meshes()) {
        for (size_t t = 0; t < mesh.position.size(); ++t) {
            const MeshPosition& a = mesh.positions[mesh.position[t][0]];
            const MeshPosition& b = mesh.positions[mesh.position[t][1]];
            const MeshPosition& c = mesh.positions[mesh.position[t][2]];
            double u[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
            double v[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
            double g[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
            for (int k = 0; k < 3; ++k) {
                const MeshNormal& n = mesh.normals[mesh.normal[t][k]];
                ASSERT_GT(g[0] * n.x + g[1] * n.y + g[2] * n.z, 0.0) << mesh.name << " triangle " << t << " corner " << k;
            }
        }
    }
}

// Orientation is consistent across neighbours (no edge is run the same way twice), and the
// surfaces are closed except where an end hides inside another part: MeshA's shank inside its
// head (21 edges), MeshB's two kingpins inside their baseplates (12 edges each).
TEST(MeshData, SurfacesAreConsistentlyOrientedAndClosed) {
    for (const auto& mesh : Meshes()) {
        std::set<std::pair<int, int>> edges;
        for (const auto& p : mesh.position) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_TRUE(edges.insert({p[k], p[(k + 1) % 3]}).second) << mesh.name << " edge " << p[k] << "-" << p[(k + 1) % 3];
            }
        }
        int open = 0;
        for (const auto& e : edges) open += edges.count({e.second, e.first}) == 0;
        int expected = mesh.name == "MeshA" ? 21 : (mesh.name == "MeshB" ? 24 : 0);
        EXPECT_EQ(open, expected) << mesh.name;
    }
}

// Creases and hard edges: positions that meet several normals, while smooth surfaces share one
// normal among the triangles around a position.
TEST(MeshData, MeshesHaveBothCreasesAndSmoothSurfaces) {
    for (const auto& mesh : Meshes()) {
        std::map<int, std::set<int>> normalsAt;
        std::vector<int> normalUses(mesh.normalCount);
        for (size_t t = 0; t < mesh.position.size(); ++t) {
            for (int k = 0; k < 3; ++k) {
                normalsAt[mesh.position[t][k]].insert(mesh.normal[t][k]);
                ++normalUses[mesh.normal[t][k]];
            }
        }
        int creased = 0;
        for (const auto& entry : normalsAt) creased += entry.second.size() > 1;
        int shared = static_cast<int>(std::count_if(normalUses.begin(), normalUses.end(), [](int uses) { return uses >= 3; }));
        EXPECT_GT(creased, mesh.positionCount / 10) << mesh.name;
        EXPECT_GT(shared, mesh.normalCount / 4) << mesh.name;
    }
}

TEST(MeshData, MeshAHasItsFixedMaterialRunAndTextureCoordinate) {
    const Material& m = MeshA.materials[0];
    const float ambientDiffuse[3] = {0.2f, 0.615686f, 1.0f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m.ambient[i], ambientDiffuse[i]);
        EXPECT_EQ(m.diffuse[i], ambientDiffuse[i]);
        EXPECT_EQ(m.specular[i], 0.628627f);
        EXPECT_EQ(m.emission[i], 0.0f);
    }
    EXPECT_EQ(m.alpha, 1.0f);
    EXPECT_EQ(m.shininess, 21.1121f);
    EXPECT_EQ(m.tag, -1);

    EXPECT_EQ(MeshA.materialRuns[0].material, 0);
    EXPECT_EQ(MeshA.materialRuns[0].count, 4631);

    EXPECT_EQ(MeshA.texcoords[0].s, 0.0f);
    EXPECT_EQ(MeshA.texcoords[0].t, 0.0f);
    for (int t = 0; t < MeshA.triangleCount; ++t) {
        for (int k = 0; k < 3; ++k) ASSERT_EQ(MeshA.triangles[t].texcoord[k], 0) << "triangle " << t;
    }
}

// The stored but unreferenced positions are the box's corners: inside the box, so they change
// no bound.
TEST(MeshData, MeshAsSparePositionsAreItsBoxCorners) {
    const MeshPosition& low = MeshA.positions[2329];
    const MeshPosition& high = MeshA.positions[2330];
    EXPECT_EQ(low.x, -0.5f);
    EXPECT_EQ(low.y, -0.121029f);
    EXPECT_EQ(low.z, -0.118348f);
    EXPECT_EQ(high.x, 0.5f);
    EXPECT_EQ(high.y, 0.121029f);
    EXPECT_EQ(high.z, 0.118348f);
}
