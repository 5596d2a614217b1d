#include "image_compare.h"

#include <cstdlib>

#include "child_process.h"

bool MakeScreenReference(const std::string& imagePath, int width, int height,
                         const std::string& outPath) {
    std::string size = std::to_string(width) + "x" + std::to_string(height) + "!";
    return RunCommand({"convert", imagePath, "-background", "black", "-alpha", "remove", "-alpha",
                       "off", "-resize", size, outPath})
               .status == 0;
}

bool CropImage(const std::string& imagePath, int x, int y, int width, int height,
               const std::string& outPath) {
    std::string geometry = std::to_string(width) + "x" + std::to_string(height) + "+" +
                           std::to_string(x) + "+" + std::to_string(y);
    return RunCommand({"convert", imagePath, "-crop", geometry, "+repage", outPath}).status == 0;
}

double ImageDifference(const std::string& first, const std::string& second) {
    // compare writes "2477.73 (0.0378078)" to standard error, and exits with 1 when the pictures
    // differ at all, 2 when it cannot compare them.
    CommandResult result = RunCommand({"compare", "-metric", "RMSE", first, second, "null:"});
    if (result.status != 0 && result.status != 1) return -1.0;
    size_t open = result.errors.find('(');
    if (open == std::string::npos) return -1.0;
    return std::strtod(result.errors.c_str() + open + 1, nullptr);
}
