// veskop-meshgen OUTPUT_DIR: builds the demo's three meshes and writes mesh_a_geometry.cpp,
// mesh_b_geometry.cpp and mesh_c_geometry.cpp into OUTPUT_DIR (the committed copies live in
// src/demo/meshes/generated). The output depends on nothing but this program: same build, same bytes.
//
// Every mesh is checked before it is written (counts, box, unit normals, winding, references);
// a mesh that fails is reported and nothing is written.
#include "demo/meshes/mesh_data.h"
#include "mesh_builder.h"
#include "shapes.h"
#include "source_writer.h"

#include <cstdio>
#include <functional>
#include <string>

using namespace meshgen;

namespace {

struct MeshJob {
    const char* name;      // array prefix in the program
    const char* fileName;
    bool textured;
    float halfY, halfZ;    // the box's half sizes; x always spans -0.5 to 0.5
    int triangles, referencedPositions, positions, normals;
    const char* summary;
    std::function<void(MeshBuilder&)> build;
};

bool WriteFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

// Builds, checks and renders one mesh to source text; "" and a message on stderr on failure.
std::string Generate(const MeshJob& job) {
    MeshBuilder builder;
    job.build(builder);
    if (builder.triangles().empty()) {
        std::fprintf(stderr, "veskop-meshgen: %s: no triangles built\n", job.name);
        return "";
    }
    FinalMesh mesh = Finish(builder, job.halfY, job.halfZ);
    // Positions past the referenced ones: the box's corners, stored for tools, never drawn.
    for (int extra = mesh.referencedPositions; extra < job.positions; ++extra) {
        float sign = (extra - mesh.referencedPositions) % 2 == 0 ? -1.0f : 1.0f;
        mesh.positions.push_back({sign * 0.5f, sign * job.halfY, sign * job.halfZ});
    }
    std::string problem;
    if (static_cast<int>(mesh.triangles.size()) != job.triangles ||
        mesh.referencedPositions != job.referencedPositions ||
        static_cast<int>(mesh.positions.size()) != job.positions ||
        static_cast<int>(mesh.normals.size()) != job.normals) {
        char text[200];
        std::snprintf(text, sizeof text, "built %zu triangles, %d positions, %zu normals; needs %d, %d, %d",
                      mesh.triangles.size(), mesh.referencedPositions, mesh.normals.size(), job.triangles,
                      job.referencedPositions, job.normals);
        problem = text;
    } else {
        problem = CheckMesh(mesh, job.halfY, job.halfZ);
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "veskop-meshgen: %s: %s\n", job.name, problem.c_str());
        return "";
    }
    return MeshSource(mesh, job.name, job.textured, job.summary);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: veskop-meshgen OUTPUT_DIR\n");
        return 2;
    }
    const std::string outputDir = argv[1];
    const MeshJob jobs[] = {
        {"MeshA", "mesh_a_geometry.cpp", true, 0.121029f, 0.118348f, MeshATriangleCount,
         MeshAReferencedPositionCount, MeshAPositionCount, MeshANormalCount,
         "MeshA: a fully threaded hex bolt with a washer and a hex nut, head at -x.",
         [](MeshBuilder& m) { BuildBolt(m, BoltParams{}); }},
        {"MeshB", "mesh_b_geometry.cpp", false, 0.099559f, 0.0644042f, MeshBTriangleCount,
         MeshBPositionCount, MeshBPositionCount, MeshBNormalCount,
         "MeshB: a skateboard, wheels down (-z), nose at +x.",
         [](MeshBuilder& m) { BuildSkateboard(m, SkateboardParams{}); }},
        {"MeshC", "mesh_c_geometry.cpp", false, 0.0981277f, 0.060513f, MeshCTriangleCount,
         MeshCPositionCount, MeshCPositionCount, MeshCNormalCount,
         "MeshC: nineteen cards and two end plates on a rod, turning half a turn along x.",
         [](MeshBuilder& m) { BuildCardStack(m, CardStackParams{}); }},
    };
    std::string sources[3];
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        sources[i] = Generate(jobs[i]);
        ok = ok && !sources[i].empty();
    }
    if (!ok) return 1;
    for (int i = 0; i < 3; ++i) {
        std::string path = outputDir + "/" + jobs[i].fileName;
        if (!WriteFile(path, sources[i])) {
            std::fprintf(stderr, "veskop-meshgen: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s: %d triangles, %d positions, %d normals -> %s\n", jobs[i].name, jobs[i].triangles,
                    jobs[i].positions, jobs[i].normals, path.c_str());
    }
    return 0;
}
