// What the web tests share: their browser drivers (node scripts in tests/web), the show's frames
// drawn by Mesa on a frame clock to set beside the browser's, and the check that what a page
// played is the module from its start.
#ifndef VESKOP_WEB_SUPPORT_H
#define VESKOP_WEB_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "child_process.h"

const int WebWidth = 640, WebHeight = 480;

// Root-mean-square difference from Mesa's picture that a frame of the fixed-function layer stays
// under. The two rasterisers differ in single pixels along the meshes' and the cube's edges, and
// by a few 255ths in filtered texels: up to 0.008 measured (the meshes a day into the uptime),
// while the meshes one frame off (half a degree of spin) differ by 0.019 and a wrong image by
// over 0.2.
const double FrameTolerance = 0.012;

// One moment inside each scene's span, as a frame of a frame clock at MomentFps.
const int MomentFps = 30;
enum class Scene { Meshes, Cube, Image };
struct Moment {
    const char* name;
    int frame;          // the show's time is frame / MomentFps seconds
    Scene scene;
    const char* image;  // image scenes: the file shown
};
const Moment Moments[] = {
    {"meshes", 90, Scene::Meshes, nullptr},
    {"cube", 300, Scene::Cube, nullptr},
    {"vardlum", 600, Scene::Image, "data/vardlum.png"},
    {"sovepose2", 900, Scene::Image, "data/sovepose2.png"},
    {"pizza2", 1200, Scene::Image, "data/pizza2.png"},
    {"startlogo2", 1500, Scene::Image, "data/startlogo2.png"},
};

// The tick count at the end of the set-up: an hour of uptime, as veskop-capture draws it.
const DWORD HourTick = 3600000;

// Expects the picture to show what a person expects of the moment's scene, within the bounds of
// the end-to-end tests of the desktop program.
void ExpectSceneOfMoment(const Moment& moment, const std::string& picture);

// Expects the browser's picture within FrameTolerance of Mesa's; returns the difference.
double ExpectSameAsMesa(const std::string& web, const std::string& mesa);

// folder/frame-N.png
std::string FramePath(const std::string& folder, int frame);

// Runs node on tests/web/SCRIPT with the arguments, the browser driver's modules on its path.
CommandResult RunDriver(const std::string& script, const std::vector<std::string>& arguments);

// The show's frames drawn by its own code in Mesa's OpenGL on a frame clock of fps: set-up at
// startTick, frame n at startTick + n * 1000 / fps. The frames in keep (rising) are written as
// folder/frame-N.png.
void DrawWithMesa(DWORD startTick, int fps, const std::vector<int>& keep, const std::string& folder);

// Expects the raw 16-bit stereo at 44100 Hz in heardPath to be the module from its start, over
// its first seconds: no sample early or late, and as loud as the module itself.
void ExpectModuleFromItsStart(const std::string& heardPath);

#endif
