// Display lists of the three compiled-in meshes, and the material switch used while MeshA's list
// is compiled.
//
// Each builder needs a current rendering context with no list being compiled and no glBegin
// open. It compiles a new list (nothing is drawn while it does), returns its name unchecked, and
// sends every value through per-vertex calls. The lists belong to the context they were built in.
// Nothing saves or restores state around them: after MeshA's list has run, both faces keep
// material 0 and the texture coordinate stays (0, 0); after any list, its last normal stays
// current.
#ifndef VESKOP_DEMO_MESHES_MESH_LISTS_H
#define VESKOP_DEMO_MESHES_MESH_LISTS_H

#include <windows.h>

#include <GL/gl.h>

#include <cstdint>

// glMaterialfv(GL_FRONT_AND_BACK, name, {rgb, alpha}); name is GL_AMBIENT, GL_DIFFUSE,
// GL_SPECULAR or GL_EMISSION.
void SetMaterialColor(GLenum name, const float rgb[3], float alpha);

// Switches both faces to MeshA's material `index` in the middle of a triangle batch: closes the
// batch, sends the four colours and the shininess, and opens a new GL_TRIANGLES batch.
void ApplyMaterial(std::int32_t index);

// MeshA: normal, texture coordinate and vertex per corner, with its material runs applied.
GLuint BuildMeshListA();
// MeshB and MeshC: normal and vertex per corner, no material.
GLuint BuildMeshListB();
GLuint BuildMeshListC();

#endif
