// The show's frames as bare OpenGL calls: exactly the calls a frame of each scene makes, in the
// same order and with the same values, but with no timeline, no tick count and no output. The
// baseline that the show's frame rates are measured against.
#ifndef VESKOP_BENCH_BARE_SCENES_H
#define VESKOP_BENCH_BARE_SCENES_H

#include <GL/gl.h>

enum class BareKind { Meshes, Cube, Image };

struct BareScene {
    const char* name;
    int afterMs;     // the show's span starts at the first millisecond after this
    double seconds;  // and lasts this long
    BareKind kind;
    int slot;  // image scenes: the texture slot shown
};

// The show's six spans, in time order.
extern const BareScene ShowScenes[6];

// The textures (slot order) and the three mesh lists the frames draw with.
struct BareObjects {
    GLuint textures[5];
    GLuint lists[3];
};

// The fixed state the show's set-up leaves for its frames; model-view selected, identity.
void SetBareFixedState(const BareObjects& objects);
// One frame of a scene, from its clear to its last call (the caller swaps).
void DrawBareFrame(const BareScene& scene, const BareObjects& objects);

#endif
