// What a screenshot of the show should hold in each kind of scene, judged as a person would: the
// meshes in their rows and in colour, the cube at the centre, an image upright and filling the
// picture. The picture's top left corner is at (left, top) of the screenshot: 0, 0 for
// fullscreen, the window's inside otherwise.
#ifndef VESKOP_TEST_SCENE_CHECKS_H
#define VESKOP_TEST_SCENE_CHECKS_H

#include <string>

#include "x_server.h"

void ExpectCubeScene(const Screenshot& shot, int left, int top);

// How far the meshes had drifted in the frame a screenshot shows, in world units: towards the
// camera (z) and to the left (x), each known to lie between its two values.
struct MeshDrift {
    double zLow = 0.0, zHigh = 0.0;
    double xLow = 0.0, xHigh = 0.0;
};
void ExpectMeshScene(const Screenshot& shot, int left, int top, const MeshDrift& drift = {});
// shotPath: the saved screenshot; imageFile: the PNG that the scene shows.
void ExpectImageScene(const std::string& shotPath, const std::string& imageFile, int left, int top);

#endif
