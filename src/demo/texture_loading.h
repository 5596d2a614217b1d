// LoadTexture: one PNG file into the next free texture slot of DemoState, mipmapped.
#ifndef VESKOP_TEXTURE_LOADING_H
#define VESKOP_TEXTURE_LOADING_H

#include <string>

// Creates a texture object in DemoState.textures[textureCount], binds it to GL_TEXTURE_2D (it
// stays bound), sets trilinear filtering, advances textureCount and then loads the file into it.
// The slot is used up even when the load fails. Returns 1 when the texture was filled, 0 when
// not (and 0, changing nothing, when every slot is already taken). Needs a current context.
int LoadTexture(const std::string& fileName);

#endif
