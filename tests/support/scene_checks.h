// What a screenshot of the show should hold in each kind of scene, judged as a person would: the
// meshes in their rows and in colour, the cube at the centre, an image upright and filling the
// picture. The picture's top left corner is at (left, top) of the screenshot: 0, 0 for
// fullscreen, the window's inside otherwise.
#ifndef VESKOP_TEST_SCENE_CHECKS_H
#define VESKOP_TEST_SCENE_CHECKS_H

#include <string>

#include "x_server.h"

void ExpectCubeScene(const Screenshot& shot, int left, int top);
void ExpectMeshScene(const Screenshot& shot, int left, int top);
// shotPath: the saved screenshot; imageFile: the PNG that the scene shows.
void ExpectImageScene(const std::string& shotPath, const std::string& imageFile, int left, int top);

#endif
