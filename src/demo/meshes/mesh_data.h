// The three meshes compiled into the program: record types, counts and the constant arrays.
//
// The arrays live in mesh_a_geometry.cpp, mesh_b_geometry.cpp and mesh_c_geometry.cpp (generated
// by tools/meshgen) and in mesh_data.cpp (MeshA's material, run and texture coordinate). They
// exist for the whole run and nothing writes to them.
//
// Geometry conventions shared by all three meshes:
//   - model units; x spans exactly -0.5 to 0.5, and every bounding box is symmetric about 0;
//   - the mesh scene turns +z to screen-up and +y away from the viewer, so x is the long axis
//     on screen, z the height and y the depth;
//   - triangles wind counter-clockwise seen from the side their corner normals point to;
//   - normals are unit length; one position may pair with different normals in different
//     triangles (creases and hard edges), so every mesh has more normals than positions;
//   - indices are 16-bit, never negative, and select entries counted from 0.
#ifndef VESKOP_DEMO_MESHES_MESH_DATA_H
#define VESKOP_DEMO_MESHES_MESH_DATA_H

#include <cstdint>

struct MeshPosition {
    float x, y, z;
};

struct MeshNormal {
    float x, y, z;  // unit length
};

struct MeshTexCoord {
    float s, t;
};

// Triangle record of MeshB and MeshC.
struct MeshTriangle {
    std::int16_t position[3];  // corners 0, 1, 2
    std::int16_t normal[3];
};

// Triangle record of MeshA.
struct TexturedMeshTriangle {
    std::int16_t position[3];  // corners 0, 1, 2
    std::int16_t normal[3];
    std::int16_t texcoord[3];
};

struct Material {
    float ambient[3];   // r, g, b
    float diffuse[3];
    float specular[3];
    float emission[3];
    float alpha;        // fourth component of all four colours
    float shininess;    // specular exponent, as GL_SHININESS
    std::int32_t tag;   // -1; nothing reads it
};

// `count` consecutive triangles, in array order, use materials[material].
struct MaterialRun {
    std::int32_t material;
    std::int32_t count;  // at least 1; the runs of a mesh add up to its triangle count
};

static_assert(sizeof(MeshPosition) == 12, "position is three floats");
static_assert(sizeof(MeshNormal) == 12, "normal is three floats");
static_assert(sizeof(MeshTexCoord) == 8, "texture coordinate is two floats");
static_assert(sizeof(MeshTriangle) == 12, "triangle is six 16-bit indices");
static_assert(sizeof(TexturedMeshTriangle) == 18, "textured triangle is nine 16-bit indices");
static_assert(sizeof(Material) == 60, "material is fifteen four-byte fields");
static_assert(sizeof(MaterialRun) == 8, "material run is two 32-bit integers");

// MeshA: a hex bolt with washer and nut. Positions 2329 and 2330 hold the corners of the
// bounding box, for tools; no triangle refers to them.
constexpr int MeshATriangleCount = 4631;
constexpr int MeshAPositionCount = 2331;
constexpr int MeshAReferencedPositionCount = 2329;
constexpr int MeshANormalCount = 3715;
constexpr int MeshATexCoordCount = 1;
constexpr int MeshAMaterialCount = 1;
constexpr int MeshAMaterialRunCount = 1;
extern const TexturedMeshTriangle MeshATriangles[MeshATriangleCount];
extern const MeshPosition MeshAPositions[MeshAPositionCount];
extern const MeshNormal MeshANormals[MeshANormalCount];
extern const MeshTexCoord MeshATexCoords[MeshATexCoordCount];
extern const Material MeshAMaterials[MeshAMaterialCount];
extern const MaterialRun MeshAMaterialRuns[MeshAMaterialRunCount];

// MeshB: a skateboard.
constexpr int MeshBTriangleCount = 11016;
constexpr int MeshBPositionCount = 5556;
constexpr int MeshBNormalCount = 9136;
extern const MeshTriangle MeshBTriangles[MeshBTriangleCount];
extern const MeshPosition MeshBPositions[MeshBPositionCount];
extern const MeshNormal MeshBNormals[MeshBNormalCount];

// MeshC: twisted slats threaded on a rod.
constexpr int MeshCTriangleCount = 9936;
constexpr int MeshCPositionCount = 5012;
constexpr int MeshCNormalCount = 8190;
extern const MeshTriangle MeshCTriangles[MeshCTriangleCount];
extern const MeshPosition MeshCPositions[MeshCPositionCount];
extern const MeshNormal MeshCNormals[MeshCNormalCount];

static_assert(sizeof(MeshATriangles) + sizeof(MeshAPositions) + sizeof(MeshANormals) +
                      sizeof(MeshATexCoords) + sizeof(MeshAMaterials) + sizeof(MeshAMaterialRuns) ==
                  155986,
              "MeshA's arrays hold 155986 bytes");
static_assert(sizeof(MeshBTriangles) + sizeof(MeshBPositions) + sizeof(MeshBNormals) == 308496,
              "MeshB's arrays hold 308496 bytes");
static_assert(sizeof(MeshCTriangles) + sizeof(MeshCPositions) + sizeof(MeshCNormals) == 277656,
              "MeshC's arrays hold 277656 bytes");

// The same arrays with their lengths, for code that walks any mesh.
struct MeshView {
    const MeshTriangle* triangles;
    std::int32_t triangleCount;
    const MeshPosition* positions;
    std::int32_t positionCount;
    const MeshNormal* normals;
    std::int32_t normalCount;
};

struct TexturedMeshView {
    const TexturedMeshTriangle* triangles;
    std::int32_t triangleCount;
    const MeshPosition* positions;
    std::int32_t positionCount;
    const MeshNormal* normals;
    std::int32_t normalCount;
    const MeshTexCoord* texcoords;
    std::int32_t texcoordCount;
    const Material* materials;
    std::int32_t materialCount;
    const MaterialRun* materialRuns;
    std::int32_t materialRunCount;
};

extern const TexturedMeshView MeshA;
extern const MeshView MeshB;
extern const MeshView MeshC;

#endif
