// The exact commands the list builders send, in order. A display list's contents cannot be read
// back from OpenGL, so this test links no OpenGL: it defines recording versions of the few GL
// entry points the builders call. What OpenGL makes of the lists is tested in a real context
// (tests/gl/mesh_lists_test.cpp).
#include "demo/meshes/mesh_data.h"
#include "demo/meshes/mesh_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Call {
    std::string name;
    unsigned a = 0, b = 0;
    float v[4] = {0, 0, 0, 0};
};

std::vector<Call> Calls;
GLuint NextList = 41;

void Record(const char* name, unsigned a = 0, unsigned b = 0, float x = 0, float y = 0, float z = 0, float w = 0) {
    Call call;
    call.name = name;
    call.a = a;
    call.b = b;
    call.v[0] = x, call.v[1] = y, call.v[2] = z, call.v[3] = w;
    Calls.push_back(call);
}

}  // namespace

extern "C" {
GLuint glGenLists(GLsizei range) {
    Record("glGenLists", static_cast<unsigned>(range));
    return NextList++;
}
void glNewList(GLuint list, GLenum mode) { Record("glNewList", list, mode); }
void glEndList(void) { Record("glEndList"); }
void glBegin(GLenum mode) { Record("glBegin", mode); }
void glEnd(void) { Record("glEnd"); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { Record("glNormal3f", 0, 0, x, y, z); }
void glTexCoord2f(GLfloat s, GLfloat t) { Record("glTexCoord2f", 0, 0, s, t); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { Record("glVertex3f", 0, 0, x, y, z); }
void glMaterialfv(GLenum face, GLenum name, const GLfloat* v) { Record("glMaterialfv", face, name, v[0], v[1], v[2], v[3]); }
void glMaterialf(GLenum face, GLenum name, GLfloat v) { Record("glMaterialf", face, name, v); }
}

namespace {

void ExpectCall(size_t at, const char* name, unsigned a = 0, unsigned b = 0) {
    ASSERT_LT(at, Calls.size());
    EXPECT_EQ(Calls[at].name, name) << "call " << at;
    EXPECT_EQ(Calls[at].a, a) << "call " << at << " " << name;
    EXPECT_EQ(Calls[at].b, b) << "call " << at << " " << name;
}

void ExpectVector(size_t at, const char* name, float x, float y, float z, float w = 0) {
    ASSERT_LT(at, Calls.size());
    ASSERT_EQ(Calls[at].name, name) << "call " << at;
    EXPECT_EQ(Calls[at].v[0], x) << "call " << at;
    EXPECT_EQ(Calls[at].v[1], y) << "call " << at;
    EXPECT_EQ(Calls[at].v[2], z) << "call " << at;
    EXPECT_EQ(Calls[at].v[3], w) << "call " << at;
}

}  // namespace

TEST(MeshListCalls, SetMaterialColorSendsOneColourForBothFaces) {
    Calls.clear();
    const float rgb[3] = {0.25f, 0.5f, 0.75f};
    SetMaterialColor(GL_SPECULAR, rgb, 0.125f);
    ASSERT_EQ(Calls.size(), 1u);
    ExpectCall(0, "glMaterialfv", GL_FRONT_AND_BACK, GL_SPECULAR);
    ExpectVector(0, "glMaterialfv", 0.25f, 0.5f, 0.75f, 0.125f);
}

// An empty batch, the five material commands with alpha 1 in every colour, then one batch of
// 4631 triangles sent corner by corner as normal, texture coordinate, vertex.
TEST(MeshListCalls, ListAIsEmptyBatchMaterialThenOneBatchOfAllTriangles) {
    Calls.clear();
    GLuint name = BuildMeshListA();
    ASSERT_EQ(Calls.size(), 2u + 2u + 5u + 1u + 3u * 3u * 4631u + 2u);
    EXPECT_EQ(name, NextList - 1);  // the name glGenLists gave, unchanged
    ExpectCall(0, "glGenLists", 1);
    ExpectCall(1, "glNewList", name, GL_COMPILE);
    ExpectCall(2, "glBegin", GL_TRIANGLES);
    ExpectCall(3, "glEnd");
    const unsigned colours[4] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION};
    for (int i = 0; i < 4; ++i) ExpectCall(4 + i, "glMaterialfv", GL_FRONT_AND_BACK, colours[i]);
    ExpectVector(4, "glMaterialfv", 0.2f, 0.615686f, 1.0f, 1.0f);
    ExpectVector(5, "glMaterialfv", 0.2f, 0.615686f, 1.0f, 1.0f);
    ExpectVector(6, "glMaterialfv", 0.628627f, 0.628627f, 0.628627f, 1.0f);
    ExpectVector(7, "glMaterialfv", 0.0f, 0.0f, 0.0f, 1.0f);
    ExpectCall(8, "glMaterialf", GL_FRONT_AND_BACK, GL_SHININESS);
    EXPECT_EQ(Calls[8].v[0], 21.1121f);
    ExpectCall(9, "glBegin", GL_TRIANGLES);
    size_t at = 10;
    for (int t = 0; t < MeshATriangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            const MeshNormal& n = MeshANormals[MeshATriangles[t].normal[k]];
            const MeshPosition& p = MeshAPositions[MeshATriangles[t].position[k]];
            ExpectVector(at++, "glNormal3f", n.x, n.y, n.z);
            ExpectVector(at++, "glTexCoord2f", 0.0f, 0.0f, 0.0f);
            ExpectVector(at++, "glVertex3f", p.x, p.y, p.z);
            if (::testing::Test::HasFailure()) return;
        }
    }
    ExpectCall(at++, "glEnd");
    ExpectCall(at++, "glEndList");
}

TEST(MeshListCalls, ListsBAndCAreOneBatchOfNormalsAndVertices) {
    struct Case {
        GLuint (*build)();
        const MeshView* mesh;
    } cases[] = {{BuildMeshListB, &MeshB}, {BuildMeshListC, &MeshC}};
    for (const Case& c : cases) {
        Calls.clear();
        GLuint name = c.build();
        const MeshView& mesh = *c.mesh;
        ASSERT_EQ(Calls.size(), 3u + 2u * 3u * mesh.triangleCount + 2u);
        ExpectCall(0, "glGenLists", 1);
        ExpectCall(1, "glNewList", name, GL_COMPILE);
        ExpectCall(2, "glBegin", GL_TRIANGLES);
        size_t at = 3;
        for (int t = 0; t < mesh.triangleCount; ++t) {
            for (int k = 0; k < 3; ++k) {
                const MeshNormal& n = mesh.normals[mesh.triangles[t].normal[k]];
                const MeshPosition& p = mesh.positions[mesh.triangles[t].position[k]];
                ExpectVector(at++, "glNormal3f", n.x, n.y, n.z);
                ExpectVector(at++, "glVertex3f", p.x, p.y, p.z);
                if (::testing::Test::HasFailure()) return;
            }
        }
        ExpectCall(at++, "glEnd");
        ExpectCall(at++, "glEndList");
    }
}

TEST(MeshListCalls, EveryBuildMakesANewList) {
    GLuint first = BuildMeshListC();
    GLuint second = BuildMeshListC();
    EXPECT_NE(first, second);
}
