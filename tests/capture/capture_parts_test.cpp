// The capture's parts that need neither the show nor ffmpeg: its command line and the contact
// sheet's tiles.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_options.h"
#include "capture/contact_sheet.h"

namespace {

bool Parse(std::vector<std::string> words, CaptureOptions* options, std::string* problem) {
    words.insert(words.begin(), "veskop-capture");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    return ParseCaptureOptions(static_cast<int>(argv.size()), argv.data(), options, problem);
}

TEST(CaptureOptions, TheSheetsPathIsNeverTheNextOption) {
    CaptureOptions options;
    std::string problem;
    EXPECT_FALSE(Parse({"--sheet", "--size", "320x240"}, &options, &problem));
    EXPECT_NE(std::string::npos, problem.find("--sheet takes the path")) << problem;
    EXPECT_NE(std::string::npos, problem.find("./--size")) << problem;
    // A path that only starts with a dash further in, and "-" itself, are paths.
    ASSERT_TRUE(Parse({"--sheet", "./--size"}, &options, &problem)) << problem;
    EXPECT_EQ("./--size", options.sheetPath);
    ASSERT_TRUE(Parse({"--sheet", "-"}, &options, &problem)) << problem;
    EXPECT_EQ("-", options.sheetPath);
}

// A frame whose every pixel holds its row's number in red, at a width (482) that the tile scale
// (3) does not divide: a tile pixel is the mean of the three rows beneath it, in every column.
TEST(ContactSheet, TilesReadTheFramesRowsAtTheFramesOwnWidth) {
    const int width = 482, height = 120;
    std::vector<std::uint8_t> frame(static_cast<size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) frame[(static_cast<size_t>(y) * width + x) * 4] = static_cast<std::uint8_t>(y);
    }
    ContactSheet sheet;
    StartContactSheet(&sheet, width, height, 2, 2);
    ASSERT_EQ(3, sheet.scale);
    ASSERT_EQ(160, sheet.tileWidth);
    ASSERT_EQ(40, sheet.tileHeight);
    AddSheetTile(&sheet, 1, frame.data(), 1);
    const int left = 4 + sheet.tileWidth + 4, top = 4;
    const int stampRows = 9;  // the time stamp covers the tile's last rows on the left
    for (int y = 0; y < sheet.tileHeight - stampRows; y++) {
        for (int x = 0; x < sheet.tileWidth; x++) {
            const std::uint8_t* pixel = &sheet.rgb[(static_cast<size_t>(top + y) * sheet.width + left + x) * 3];
            ASSERT_EQ(3 * y + 1, pixel[0]) << "tile pixel " << x << "," << y;
            ASSERT_EQ(0, pixel[1]) << "tile pixel " << x << "," << y;
        }
    }
}

}  // namespace
