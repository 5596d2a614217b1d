#include "scene_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "image_compare.h"

namespace {

// A picture of the show is judged by its root-mean-square difference from the image file
// stretched to the screen. The texture goes through a nearest stretch to powers of two and then
// trilinear filtering back to 640x480, which leaves up to about 0.04 (data/vardlum.png, 640x480
// made 1024x512 and back); any other image of the show, or the right one upside down, differs
// by more than 0.2.
const double ImageTolerance = 0.08;

// The pixel of the 640x480 picture at which a point (x, y, z) of the 3D scenes appears, with the
// camera at its start (2.5 units from the origin) and the square 45-degree projection stretched
// sideways; and how much larger than at z = 0 things appear there.
struct Pixel {
    int x, y;
};
const double CameraDistance = 2.5;
double Magnification(double z) { return CameraDistance / (CameraDistance - z); }
Pixel ProjectScenePoint(double x, double y, double z = 0.0) {
    const double scale = Magnification(z) / (std::tan(22.5 * M_PI / 180.0) * CameraDistance);
    return Pixel{static_cast<int>(std::lround(320.0 + x * scale * 320.0)),
                 static_cast<int>(std::lround(240.0 - y * scale * 240.0))};
}

}  // namespace

// The cube scene, with the picture's top left corner at (left, top) of the screenshot: a solid
// shape at the centre and black corners.
void ExpectCubeScene(const Screenshot& shot, int left, int top) {
    ASSERT_TRUE(shot.ok());
    EXPECT_GT(shot.LitPixels(left + 280, top + 200, left + 360, top + 280), 80 * 80 * 3 / 4)
        << "no cube at the centre";
    EXPECT_EQ(0, shot.LitPixels(left, top, left + 100, top + 100)) << "the corners stay black";
    EXPECT_EQ(0, shot.LitPixels(left + 540, top + 380, std::min(shot.width, left + 640),
                                std::min(shot.height, top + 480)));
}

// The mesh scene: each mesh lit, in blue, in its own band of rows around the place where it is
// put. A mesh is 1 unit long and spins about the vertical axis, but it is less than 0.25 units
// high, so the bands (half-heights in pixels at z = 0) do not meet; within a band it shows
// whatever its angle, though where its surfaces overlap the additive blending can wash it out to
// white. Drifted towards the camera the meshes appear larger and further from the centre, so
// each band covers the places between the drift's two ends.
void ExpectMeshScene(const Screenshot& shot, int left, int top, const MeshDrift& drift) {
    ASSERT_TRUE(shot.ok());
    ASSERT_LT(drift.zHigh, CameraDistance - 0.5) << "the meshes are at the camera";
    const double most = Magnification(drift.zHigh);
    struct Place {
        const char* name;
        double x, y;     // world units
        int halfHeight;  // pixels
    };
    const Place places[] = {{"A", -0.4, 0.2, 20}, {"B", 0.0, 0.0, 10}, {"C", 0.2, -0.2, 10}};
    int allLit = 0, allColoured = 0;
    for (const Place& place : places) {
        // The drift's two ends give the band's; its x shift is subtracted from every mesh's x.
        const Pixel nearer = ProjectScenePoint(place.x - drift.xHigh, place.y, drift.zHigh);
        const Pixel farther = ProjectScenePoint(place.x - drift.xLow, place.y, drift.zLow);
        const int halfHeight = static_cast<int>(std::lround(place.halfHeight * most));
        const int halfWidth = static_cast<int>(std::lround(170 * most));
        const int rowsFrom = top + std::min(nearer.y, farther.y) - halfHeight;
        const int rowsTo = top + std::max(nearer.y, farther.y) + halfHeight;
        int lit = 0, coloured = 0;
        for (int y = std::max(0, rowsFrom); y <= std::min(shot.height - 1, rowsTo); y++) {
            for (int x = std::max(0, left + std::min(nearer.x, farther.x) - halfWidth);
                 x < std::min(shot.width, left + std::max(nearer.x, farther.x) + halfWidth); x++) {
                auto pixel = shot.At(x, y);
                if (pixel[0] | pixel[1] | pixel[2]) lit++;
                if (pixel[2] > pixel[0] + 32) coloured++;  // blue clearly above red
            }
        }
        EXPECT_GT(lit, 200) << "mesh " << place.name << " is not in rows " << rowsFrom - top
                            << " to " << rowsTo - top;
        EXPECT_GT(coloured, 50) << "mesh " << place.name << " is not lit in colour";
        allLit += lit;
        allColoured += coloured;
    }
    EXPECT_GT(allColoured, allLit / 2) << "the meshes are mostly not coloured";
    // Above mesh A and below mesh C, rows that stay black: 100 and 120 rows from the centre at
    // z = 0, further out as the meshes come nearer.
    const int aboveTo = 240 - static_cast<int>(std::lround(100 * most));
    const int belowFrom = 240 + static_cast<int>(std::lround(120 * most));
    EXPECT_EQ(0, shot.LitPixels(left, top, left + 640, top + aboveTo)) << "above the meshes";
    EXPECT_EQ(0, shot.LitPixels(left, top + belowFrom, std::min(shot.width, left + 640),
                                std::min(shot.height, top + 480)))
        << "below the meshes";
}

// An image scene: the screenshot (or its part at left, top) shows imageFile upright and filling
// the picture.
void ExpectImageScene(const std::string& shotPath, const std::string& imageFile, int left,
                      int top) {
    std::string stem = shotPath.substr(0, shotPath.size() - 4);
    std::string picture = shotPath;
    if (left != 0 || top != 0) {
        picture = stem + "-window.png";
        ASSERT_TRUE(CropImage(shotPath, left, top, 640, 480, picture));
    }
    std::string reference = stem + "-expected.png";
    ASSERT_TRUE(MakeScreenReference(imageFile, 640, 480, reference));
    double difference = ImageDifference(picture, reference);
    ASSERT_GE(difference, 0.0) << "cannot compare " << picture << " with " << reference;
    EXPECT_LT(difference, ImageTolerance) << picture << " does not show " << imageFile;
}

