#include "demo/demo_state.h"

DemoStateRecord DemoState = {
    0,              // startTick
    0,              // elapsed
    {0, 0, 0, 0, 0},  // textures
    0,              // textureCount
    0,              // meshListA
    0,              // meshListB
    0,              // meshListC
    2.5f,           // cameraDistance
    -45.0f,         // spinAngle
    0.0f,           // driftZ
    0.0f,           // driftX
    {5.0f, 5.0f, 8.0f, 1.0f},  // lightPosition
    {1.0f, 1.0f, 1.0f, 1.0f},  // materialSpecular
    {50.0f},                   // materialShininess
    {1.0f, 0.0f, 1.0f, 1.0f},  // materialDiffuse
};
