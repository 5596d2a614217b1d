// Pictures compared as a person would judge them, through ImageMagick: an image file as a full
// screen should show it, a part of a screenshot, and how far two pictures differ.
#ifndef VESKOP_TEST_IMAGE_COMPARE_H
#define VESKOP_TEST_IMAGE_COMPARE_H

#include <string>

// Writes outPath: imagePath stretched to width x height (no aspect kept), its transparent parts
// laid over black, as an opaque image blended over a cleared black screen looks.
bool MakeScreenReference(const std::string& imagePath, int width, int height,
                         const std::string& outPath);

// Writes outPath: the width x height rectangle of imagePath whose top left corner is (x, y).
bool CropImage(const std::string& imagePath, int x, int y, int width, int height,
               const std::string& outPath);

// Root-mean-square difference of two pictures of one size over all channels, normalised to
// 0 (the same) .. 1 (black against white); negative when they cannot be compared.
double ImageDifference(const std::string& first, const std::string& second);

#endif
