// The mesh list builders in a real OpenGL context: what the lists hold (read back through
// feedback mode), what state they leave, that building draws nothing, and that a second context
// gets the same lists.
#include "demo/meshes/mesh_data.h"
#include "demo/meshes/mesh_lists.h"
#include "gl_context.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Runs `list` in feedback mode and returns the buffer: GL_POLYGON_TOKEN, vertex count, then that
// many vertices of `type` (window coordinates, and with GL_3D_COLOR_TEXTURE colour and texture
// coordinate too). Matrices are the identity, so the meshes (within +-0.5) are never clipped.
std::vector<GLfloat> Feedback(GLuint list, GLenum type, size_t floatsPerVertex, int triangles) {
    std::vector<GLfloat> buffer(static_cast<size_t>(triangles) * (2 + 3 * floatsPerVertex) + 16);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), type, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    GLint used = glRenderMode(GL_RENDER);
    buffer.resize(used < 0 ? 0 : static_cast<size_t>(used));
    return buffer;
}

int CountTriangles(const std::vector<GLfloat>& buffer, size_t floatsPerVertex) {
    int triangles = 0;
    for (size_t i = 0; i < buffer.size();) {
        if (static_cast<GLenum>(buffer[i]) != GL_POLYGON_TOKEN || buffer[i + 1] != 3.0f) return -1;
        ++triangles;
        i += 2 + 3 * floatsPerVertex;
    }
    return triangles;
}

struct Built {
    GLuint a, b, c;
};

Built BuildAll() { return {BuildMeshListA(), BuildMeshListB(), BuildMeshListC()}; }

}  // namespace

TEST(MeshLists, BuildingDrawsNothing) {
    TestGLContext context(64, 48);
    ASSERT_TRUE(context.ok());
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<std::uint8_t> before = context.ReadBackBuffer();
    Built lists = BuildAll();
    EXPECT_EQ(context.ReadBackBuffer(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(glIsList(lists.a) && glIsList(lists.b) && glIsList(lists.c));
    EXPECT_TRUE(lists.a != lists.b && lists.b != lists.c && lists.a != lists.c);
}

TEST(MeshLists, ListsHoldEveryTriangleOfTheirMesh) {
    TestGLContext context(64, 64);
    ASSERT_TRUE(context.ok());
    Built lists = BuildAll();
    EXPECT_EQ(CountTriangles(Feedback(lists.a, GL_3D, 3, MeshATriangleCount), 3), 4631);
    EXPECT_EQ(CountTriangles(Feedback(lists.b, GL_3D, 3, MeshBTriangleCount), 3), 11016);
    EXPECT_EQ(CountTriangles(Feedback(lists.c, GL_3D, 3, MeshCTriangleCount), 3), 9936);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Feedback vertices are in window coordinates: x = (x + 1) / 2 * width, and so on.
TEST(MeshLists, ListCornersArriveInArrayOrder) {
    TestGLContext context(64, 64);
    ASSERT_TRUE(context.ok());
    GLuint list = BuildMeshListC();
    std::vector<GLfloat> buffer = Feedback(list, GL_3D, 3, MeshCTriangleCount);
    ASSERT_EQ(CountTriangles(buffer, 3), MeshCTriangleCount);
    const int checked[] = {0, 1, 4967, MeshCTriangleCount - 1};
    for (int t : checked) {
        for (int k = 0; k < 3; ++k) {
            const MeshPosition& p = MeshC.positions[MeshC.triangles[t].position[k]];
            const GLfloat* v = &buffer[static_cast<size_t>(t) * 11 + 2 + 3 * k];
            EXPECT_NEAR(v[0], (p.x + 1) * 32, 1e-3) << "triangle " << t << " corner " << k;
            EXPECT_NEAR(v[1], (p.y + 1) * 32, 1e-3) << "triangle " << t << " corner " << k;
            EXPECT_NEAR(v[2], (p.z + 1) / 2, 1e-5) << "triangle " << t << " corner " << k;
        }
    }
}

TEST(MeshLists, EveryVertexOfListAHasTextureCoordinateZero) {
    TestGLContext context(64, 64);
    ASSERT_TRUE(context.ok());
    GLuint list = BuildMeshListA();
    glTexCoord2f(0.5f, 0.25f);
    // GL_3D_COLOR_TEXTURE: x, y, z, then RGBA colour, then s, t, r, q.
    std::vector<GLfloat> buffer = Feedback(list, GL_3D_COLOR_TEXTURE, 11, MeshATriangleCount);
    ASSERT_EQ(CountTriangles(buffer, 11), MeshATriangleCount);
    for (size_t t = 0; t < static_cast<size_t>(MeshATriangleCount); ++t) {
        for (size_t k = 0; k < 3; ++k) {
            const GLfloat* v = &buffer[t * 35 + 2 + 11 * k];
            ASSERT_EQ(v[7], 0.0f) << "triangle " << t;
            ASSERT_EQ(v[8], 0.0f) << "triangle " << t;
        }
    }
}

// No state is saved around the lists: list A leaves material 0 on both faces and texture
// coordinate (0, 0); each list leaves its last corner's normal current.
TEST(MeshLists, ListsLeaveMaterialTextureCoordinateAndNormalSet) {
    TestGLContext context(64, 64);
    ASSERT_TRUE(context.ok());
    Built lists = BuildAll();
    const GLfloat magenta[4] = {1, 0, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, magenta);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, magenta);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 50);
    glTexCoord2f(0.5f, 0.75f);
    glCallList(lists.a);

    struct Expected {
        GLenum name;
        GLfloat value[4];
    } colours[] = {
        {GL_AMBIENT, {0.2f, 0.615686f, 1, 1}},
        {GL_DIFFUSE, {0.2f, 0.615686f, 1, 1}},
        {GL_SPECULAR, {0.628627f, 0.628627f, 0.628627f, 1}},
        {GL_EMISSION, {0, 0, 0, 1}},
    };
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        for (const Expected& e : colours) {
            GLfloat v[4] = {-1, -1, -1, -1};
            glGetMaterialfv(face, e.name, v);
            for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(v[i], e.value[i]) << "face " << face << " colour " << e.name;
        }
        GLfloat shininess = 0;
        glGetMaterialfv(face, GL_SHININESS, &shininess);
        EXPECT_FLOAT_EQ(shininess, 21.1121f) << "face " << face;
    }
    GLfloat st[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, st);
    EXPECT_EQ(st[0], 0.0f);
    EXPECT_EQ(st[1], 0.0f);

    struct LastNormal {
        GLuint list;
        MeshNormal normal;
    } lasts[] = {
        {lists.a, MeshA.normals[MeshA.triangles[MeshATriangleCount - 1].normal[2]]},
        {lists.b, MeshB.normals[MeshB.triangles[MeshBTriangleCount - 1].normal[2]]},
        {lists.c, MeshC.normals[MeshC.triangles[MeshCTriangleCount - 1].normal[2]]},
    };
    for (const LastNormal& last : lasts) {
        glNormal3f(0, 0, 1);
        glCallList(last.list);
        GLfloat n[4] = {0, 0, 0, 0};
        glGetFloatv(GL_CURRENT_NORMAL, n);
        EXPECT_EQ(n[0], last.normal.x) << "list " << last.list;
        EXPECT_EQ(n[1], last.normal.y) << "list " << last.list;
        EXPECT_EQ(n[2], last.normal.z) << "list " << last.list;
    }
    // Lists B and C carry no material: after them both faces still hold material 0.
    GLfloat diffuse[4];
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[1], 0.615686f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// After a fullscreen toggle the lists are built again in a new context: same contents, whatever
// their names.
TEST(MeshLists, ListsBuiltInASecondContextHaveTheSameContents) {
    std::vector<GLfloat> first[3], second[3];
    const int counts[3] = {MeshATriangleCount, MeshBTriangleCount, MeshCTriangleCount};
    {
        TestGLContext context(64, 64);
        ASSERT_TRUE(context.ok());
        Built lists = BuildAll();
        const GLuint names[3] = {lists.a, lists.b, lists.c};
        for (int m = 0; m < 3; ++m) first[m] = Feedback(names[m], GL_3D_COLOR_TEXTURE, 11, counts[m]);
    }
    {
        TestGLContext context(64, 64);
        ASSERT_TRUE(context.ok());
        GLuint spare = glGenLists(5);  // a different name history than the first context
        (void)spare;
        Built lists = BuildAll();
        const GLuint names[3] = {lists.a, lists.b, lists.c};
        for (int m = 0; m < 3; ++m) second[m] = Feedback(names[m], GL_3D_COLOR_TEXTURE, 11, counts[m]);
    }
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(CountTriangles(first[m], 11), counts[m]) << "mesh " << m;
        EXPECT_EQ(first[m], second[m]) << "mesh " << m;
    }
}
