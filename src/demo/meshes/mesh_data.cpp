#include "demo/meshes/mesh_data.h"

// MeshA's one material, on both faces of the whole mesh.
const Material MeshAMaterials[MeshAMaterialCount] = {
    {
        {0.2f, 0.615686f, 1.0f},            // ambient
        {0.2f, 0.615686f, 1.0f},            // diffuse
        {0.628627f, 0.628627f, 0.628627f},  // specular
        {0.0f, 0.0f, 0.0f},                 // emission
        1.0f,                               // alpha
        21.1121f,                           // shininess
        -1,                                 // tag
    },
};

const MaterialRun MeshAMaterialRuns[MeshAMaterialRunCount] = {
    {0, MeshATriangleCount},
};

// Every corner of MeshA uses this one texture coordinate.
const MeshTexCoord MeshATexCoords[MeshATexCoordCount] = {
    {0.0f, 0.0f},
};

const TexturedMeshView MeshA = {
    MeshATriangles, MeshATriangleCount, MeshAPositions, MeshAPositionCount, MeshANormals, MeshANormalCount,
    MeshATexCoords, MeshATexCoordCount, MeshAMaterials, MeshAMaterialCount, MeshAMaterialRuns,
    MeshAMaterialRunCount,
};

const MeshView MeshB = {
    MeshBTriangles, MeshBTriangleCount, MeshBPositions, MeshBPositionCount, MeshBNormals, MeshBNormalCount,
};

const MeshView MeshC = {
    MeshCTriangles, MeshCTriangleCount, MeshCPositions, MeshCPositionCount, MeshCNormals, MeshCNormalCount,
};
