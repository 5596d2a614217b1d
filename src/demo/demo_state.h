// DemoState: the program's one global state record, shared by the timeline, the scene set-up,
// the texture loader and the main loop.
#ifndef VESKOP_DEMO_STATE_H
#define VESKOP_DEMO_STATE_H

#include <windows.h>

#include <GL/gl.h>

#include <cstdint>

// Number of texture slots; set-up fills them in this order of files:
// 0 startlogo2, 1 alphabetGeorgia, 2 pizza2, 3 sovepose2, 4 vardlum.
constexpr int TextureSlotCount = 5;

struct DemoStateRecord {
    DWORD startTick;                  // ms tick count at the end of scene set-up: time zero
    std::int32_t elapsed;             // ms from startTick to the start of the current frame
    GLuint textures[TextureSlotCount];  // texture names, slot i = i-th image loaded
    std::int32_t textureCount;        // slots filled in the current set-up run (0..5)
    GLuint meshListA;                 // display lists of the three meshes
    GLuint meshListB;
    GLuint meshListC;
    float cameraDistance;             // world units: z of the look-at eye; F2 +1, F3 -1
    float spinAngle;                  // degrees; grows by 0.5 per frame, never reduced
    float driftZ;                     // world units: z offset shared by the three meshes
    float driftX;                     // world units: subtracted from each mesh's x offset
    float lightPosition[4];           // homogeneous position of light 0 (eye space)
    float materialSpecular[4];        // front specular RGBA
    float materialShininess[1];       // front specular exponent
    float materialDiffuse[4];         // front diffuse RGBA
};

// Constant-initialised, so it holds its initial values before any code runs.
extern DemoStateRecord DemoState;

#endif
