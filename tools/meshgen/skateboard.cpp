#include "shapes.h"
namespace meshgen {
void BuildSkateboard(MeshBuilder&, const SkateboardParams&) {}
}
