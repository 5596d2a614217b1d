// The mesh generator's pieces that its output relies on: float text that reads back exactly,
// closed lathe surfaces, and the check that refuses a broken mesh before it is written.
#include "mesh_builder.h"
#include "source_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace meshgen;

TEST(MeshgenFloatLiteral, ReadsBackExactlyAsAFloatLiteral) {
    const float values[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 0.1f, 0.615686f, -0.121029f, 1e-30f, 3.4e38f,
                            std::numeric_limits<float>::denorm_min(), 123456789.0f};
    for (float value : values) {
        std::string text = FloatLiteral(value);
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.back(), 'f') << text;
        EXPECT_NE(text.find_first_of(".e"), std::string::npos) << text;  // "1f" would not compile
        std::string number = text.substr(0, text.size() - 1);
        float back = std::strtof(number.c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
    }
    EXPECT_EQ(FloatLiteral(0.5f), "0.5f");
    EXPECT_EQ(FloatLiteral(-0.0f), "-0.0f");
}

namespace {

// A capsule along x: a closed lathe with a pole at each end and a crease ring in the middle.
FinalMesh Capsule(MeshBuilder& mesh) {
    int left = mesh.NewGroup(), right = mesh.NewGroup();
    std::vector<ProfilePoint> profile;
    for (int k = 0; k <= 6; ++k) {
        double phi = Pi * k / 12;
        profile.push_back({-0.5 + 0.2 * (1 - std::cos(phi)), 0.2 * std::sin(phi), k < 6 ? left : right});
    }
    for (int k = 6; k >= 0; --k) {
        double phi = Pi * k / 12;
        profile.push_back({0.5 - 0.2 * (1 - std::cos(phi)), 0.2 * std::sin(phi), right});
    }
    mesh.BeginPart("capsule");
    AddLathe(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, profile, 10, false);
    mesh.EndPart();
    return Finish(mesh, 0.1f, 0.05f);
}

}  // namespace

TEST(MeshgenCheck, AcceptsAWellFormedMeshFittedToItsBox) {
    MeshBuilder builder;
    FinalMesh mesh = Capsule(builder);
    EXPECT_EQ(CheckMesh(mesh, 0.1f, 0.05f), "");
    // 2 poles and 12 rings of 10; a closed sphere has 2V - 4 triangles; the crease ring, where
    // the left cap meets the cylinder, has two normals at each point.
    EXPECT_EQ(mesh.positions.size(), 122u);
    EXPECT_EQ(mesh.triangles.size(), 240u);
    EXPECT_EQ(mesh.normals.size(), 132u);
}

TEST(MeshgenCheck, RefusesEachKindOfFault) {
    MeshBuilder builder;
    const FinalMesh good = Capsule(builder);

    FinalMesh flipped = good;
    std::swap(flipped.triangles[7].position[1], flipped.triangles[7].position[2]);
    EXPECT_NE(CheckMesh(flipped, 0.1f, 0.05f).find("winds against"), std::string::npos);

    FinalMesh longNormal = good;
    longNormal.normals[3][0] *= 1.001f;
    EXPECT_NE(CheckMesh(longNormal, 0.1f, 0.05f).find("length"), std::string::npos);

    FinalMesh repeated = good;
    repeated.triangles[0].position[1] = repeated.triangles[0].position[0];
    EXPECT_NE(CheckMesh(repeated, 0.1f, 0.05f).find("repeats a position"), std::string::npos);

    FinalMesh spare = good;  // a stored position that no triangle uses, before the spare tail
    spare.positions.push_back({0, 0, 0});
    spare.referencedPositions += 1;
    EXPECT_NE(CheckMesh(spare, 0.1f, 0.05f).find("not referenced"), std::string::npos);

    EXPECT_NE(CheckMesh(good, 0.1f, 0.06f).find("axis 2"), std::string::npos);
}
