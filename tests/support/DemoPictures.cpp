#include "support/DemoPictures.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <stdexcept>

namespace albumora::test {

namespace {

// --- drawing ---

struct Colour {
    double r = 0;
    double g = 0;
    double b = 0;
};

Colour FromHsv(double hue, double saturation, double value) {
    hue = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0);
    const double chroma = value * saturation;
    const double x = chroma * (1 - std::abs(std::fmod(hue / 60.0, 2.0) - 1));
    const double m = value - chroma;
    const int sector = static_cast<int>(hue / 60.0) % 6;
    const std::array<Colour, 6> sectors = {
        {{chroma, x, 0}, {x, chroma, 0}, {0, chroma, x}, {0, x, chroma}, {x, 0, chroma}, {chroma, 0, x}}};
    const Colour& c = sectors[static_cast<std::size_t>(sector)];
    return {c.r + m, c.g + m, c.b + m};
}

Colour Mix(const Colour& a, const Colour& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// How much white the pattern lays over the gradient at (x, y): 0 (none) to about 0.2.
double PatternLight(DemoPattern pattern, double x, double y, int seed) {
    const double phase = seed * 0.7;
    switch (pattern) {
        case DemoPattern::Rings: {
            const double cx = 0.25 + 0.5 * ((seed * 37) % 100) / 100.0;
            const double distance = std::hypot(x - cx * 480, y - 0.4 * 360);
            return 0.09 * (1 + std::sin(distance / 9.0 - phase));
        }
        case DemoPattern::Stripes:
            return std::fmod(x + y + seed * 11.0, 40.0) < 16 ? 0.16 : 0.0;
        case DemoPattern::Dots: {
            const double dx = std::fmod(x + seed * 7.0, 48.0) - 24;
            const double dy = std::fmod(y, 48.0) - 24;
            return std::hypot(dx, dy) < 11 ? 0.2 : 0.0;
        }
        case DemoPattern::Waves:
            return std::fmod(y + 18 * std::sin(x / 34.0 + phase), 36.0) < 12 ? 0.14 : 0.0;
    }
    return 0;
}

// Five by seven cells a glyph, the top row first, the leftmost cell in the highest of five bits.
constexpr std::array<std::array<std::uint8_t, 7>, 11> kGlyphs = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
    {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},  // -
}};
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;

class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        m_pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    }

    Colour& at(int x, int y) {
        return m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                        static_cast<std::size_t>(x)];
    }

    // Blends `colour` over the rectangle, clipped to the canvas.
    void Fill(int left, int top, int width, int height, const Colour& colour, double opacity) {
        for (int y = std::max(top, 0); y < std::min(top + height, m_height); ++y) {
            for (int x = std::max(left, 0); x < std::min(left + width, m_width); ++x) {
                at(x, y) = Mix(at(x, y), colour, opacity);
            }
        }
    }

    void Text(const std::string& text, int left, int top, int scale, const Colour& colour, double opacity) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::size_t glyph = text[i] == '-' ? 10 : static_cast<std::size_t>(text[i] - '0');
            for (int row = 0; row < kGlyphHeight; ++row) {
                for (int column = 0; column < kGlyphWidth; ++column) {
                    if ((kGlyphs[glyph][static_cast<std::size_t>(row)] >> (kGlyphWidth - 1 - column)) & 1) {
                        Fill(left + (static_cast<int>(i) * kGlyphAdvance + column) * scale, top + row * scale,
                             scale, scale, colour, opacity);
                    }
                }
            }
        }
    }

    RgbImage ToImage() const {
        RgbImage image{m_width, m_height, {}};
        image.rgb.reserve(m_pixels.size() * 3);
        for (const Colour& c : m_pixels) {
            for (const double channel : {c.r, c.g, c.b}) {
                image.rgb.push_back(
                    static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0, 1.0) * 255)));
            }
        }
        return image;
    }

private:
    int m_width;
    int m_height;
    std::vector<Colour> m_pixels;
};

}  // namespace

std::string EncodePng(const RgbImage& image) {
    // PNG sizes are 31-bit; far below that, one picture of this writer stays in memory whole.
    constexpr int kMaxSide = 1 << 14;
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxSide || image.height > kMaxSide) {
        throw std::invalid_argument("a PNG picture needs a width and a height from 1 to 16384");
    }
    if (image.rgb.size() !=
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
        throw std::invalid_argument("the pixels do not match the picture's size");
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    std::string out;
    if (png_image_write_get_memory_size(png, size, 0, image.rgb.data(), 0, nullptr)) {
        out.resize(size);
        if (png_image_write_to_memory(&png, out.data(), &size, 0, image.rgb.data(), 0, nullptr)) {
            out.resize(size);
            return out;
        }
    }
    throw std::runtime_error(std::string("libpng could not write the picture: ") + png.message);
}

RgbImage DrawDemoPicture(int width, int height, const DemoLook& look) {
    if (width <= 0 || height <= 0) {
        throw std::invalid_argument("a picture needs a positive width and height");
    }
    Canvas canvas(width, height);
    const Colour light = FromHsv(look.hue, 0.35, 0.98);
    const Colour deep = FromHsv(look.hue + 40, 0.8, 0.62);
    const Colour white{1, 1, 1};
    // The pattern is laid out for 480 x 360 and stretched to the real size.
    const double toX = 480.0 / width;
    const double toY = 360.0 / height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double t = (static_cast<double>(x) / width + static_cast<double>(y) / height) / 2;
            const Colour base = Mix(light, deep, t);
            canvas.at(x, y) = Mix(base, white, PatternLight(look.pattern, x * toX, y * toY, look.number));
        }
    }

    const std::string text = std::to_string(look.number);
    const int columns = static_cast<int>(text.size()) * kGlyphAdvance - 1;
    // The number fills about half the height, and never more than three quarters of the width.
    const int scale = std::max(1, std::min(height / 2 / kGlyphHeight, width * 3 / 4 / columns));
    const int textWidth = columns * scale;
    const int textHeight = kGlyphHeight * scale;
    const int left = (width - textWidth) / 2;
    const int top = (height - textHeight) / 2;
    canvas.Fill(left - 2 * scale, top - 2 * scale, textWidth + 4 * scale, textHeight + 4 * scale, white, 0.3);
    const int shadow = std::max(1, scale / 4);
    canvas.Text(text, left + shadow, top + shadow, scale, FromHsv(look.hue + 40, 0.9, 0.3), 0.45);
    canvas.Text(text, left, top, scale, white, 1.0);
    return canvas.ToImage();
}

std::string DemoPng(int width, int height, const DemoLook& look) {
    return EncodePng(DrawDemoPicture(width, height, look));
}

}  // namespace albumora::test
