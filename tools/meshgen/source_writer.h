// Writes a finished mesh as a C++ source file of initialised constant arrays.
#ifndef VESKOP_MESHGEN_SOURCE_WRITER_H
#define VESKOP_MESHGEN_SOURCE_WRITER_H

#include "mesh_builder.h"

#include <string>

namespace meshgen {

// The shortest decimal text that reads back as exactly `value` (C locale), as a float literal.
std::string FloatLiteral(float value);

// Source text defining <name>Triangles, <name>Positions and <name>Normals. Textured triangles get
// texture coordinate index 0 at every corner. `summary` is a comment line about the shape.
std::string MeshSource(const FinalMesh& mesh, const std::string& name, bool textured,
                       const std::string& summary);

}  // namespace meshgen

#endif
