#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace albumora::test {

// Pixels, three bytes (red, green, blue) each, row after row from the top.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// A PNG file of the image, 8-bit RGB. Throws std::invalid_argument for an empty image or one whose pixels do
// not match its size.
std::string EncodePng(const RgbImage& image);

enum class DemoPattern { Rings, Stripes, Dots, Waves };

// How a sample picture looks: a gradient in `hue` (degrees) with a light pattern over it, and
// `number` written large in the middle, so that a saved file can be told from the others at a glance.
struct DemoLook {
    double hue = 0;
    DemoPattern pattern = DemoPattern::Rings;
    int number = 0;
};

RgbImage DrawDemoPicture(int width, int height, const DemoLook& look);

// DrawDemoPicture as a PNG file.
std::string DemoPng(int width, int height, const DemoLook& look);

}  // namespace albumora::test
