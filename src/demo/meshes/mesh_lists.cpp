#include "demo/meshes/mesh_lists.h"

#include "demo/meshes/mesh_data.h"

void SetMaterialColor(GLenum name, const float rgb[3], float alpha) {
    const GLfloat value[4] = {rgb[0], rgb[1], rgb[2], alpha};
    glMaterialfv(GL_FRONT_AND_BACK, name, value);
}

void ApplyMaterial(std::int32_t index) {
    glEnd();
    const Material& material = MeshA.materials[index];
    SetMaterialColor(GL_AMBIENT, material.ambient, material.alpha);
    SetMaterialColor(GL_DIFFUSE, material.diffuse, material.alpha);
    SetMaterialColor(GL_SPECULAR, material.specular, material.alpha);
    SetMaterialColor(GL_EMISSION, material.emission, material.alpha);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, material.shininess);
    glBegin(GL_TRIANGLES);
}

GLuint BuildMeshListA() {
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    // A run's material applies from its first triangle; the next run is read only once the
    // current one is used up, so the loop never reads past the last run.
    std::int32_t remaining = 0;
    const MaterialRun* run = MeshA.materialRuns;
    for (std::int32_t t = 0; t < MeshA.triangleCount; ++t) {
        if (remaining == 0) {
            ApplyMaterial(run->material);
            remaining = run->count;
            ++run;
        }
        --remaining;
        const TexturedMeshTriangle& triangle = MeshA.triangles[t];
        for (int corner = 0; corner < 3; ++corner) {
            const MeshNormal& n = MeshA.normals[triangle.normal[corner]];
            const MeshTexCoord& st = MeshA.texcoords[triangle.texcoord[corner]];
            const MeshPosition& p = MeshA.positions[triangle.position[corner]];
            glNormal3f(n.x, n.y, n.z);
            glTexCoord2f(st.s, st.t);
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
    glEndList();
    return list;
}

static GLuint BuildPlainMeshList(const MeshView& mesh) {
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (std::int32_t t = 0; t < mesh.triangleCount; ++t) {
        const MeshTriangle& triangle = mesh.triangles[t];
        for (int corner = 0; corner < 3; ++corner) {
            const MeshNormal& n = mesh.normals[triangle.normal[corner]];
            const MeshPosition& p = mesh.positions[triangle.position[corner]];
            glNormal3f(n.x, n.y, n.z);
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
    glEndList();
    return list;
}

GLuint BuildMeshListB() { return BuildPlainMeshList(MeshB); }

GLuint BuildMeshListC() { return BuildPlainMeshList(MeshC); }
