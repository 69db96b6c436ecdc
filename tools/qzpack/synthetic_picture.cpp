#include "tools/qzpack/synthetic_picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "image/skin_pixels.h"

struct Rgb {
    int r, g, b;
};

struct Canvas {
    int width;
    int height;
    std::vector<uint8_t> rgb;

    void set(int x, int y, Rgb c)
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        p[0] = uint8_t(std::clamp(c.r, 0, 255));
        p[1] = uint8_t(std::clamp(c.g, 0, 255));
        p[2] = uint8_t(std::clamp(c.b, 0, 255));
    }
    Rgb get(int x, int y) const
    {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
    // Mixes c into the pixel by coverage 0 to 1.
    void blend(int x, int y, Rgb c, double coverage)
    {
        if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0) return;
        coverage = std::min(coverage, 1.0);
        Rgb o = get(x, y);
        set(x, y,
            {int(std::lround(o.r + (c.r - o.r) * coverage)), int(std::lround(o.g + (c.g - o.g) * coverage)),
             int(std::lround(o.b + (c.b - o.b) * coverage))});
    }
};

static uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// A rounded rectangle with a vertical gradient and soft edges.
static void roundedBox(Canvas& c, int x0, int y0, int w, int h, int radius, Rgb top, Rgb bottom)
{
    for (int y = y0; y < y0 + h; ++y) {
        double t = h > 1 ? double(y - y0) / (h - 1) : 0;
        Rgb col{int(top.r + (bottom.r - top.r) * t), int(top.g + (bottom.g - top.g) * t),
                int(top.b + (bottom.b - top.b) * t)};
        for (int x = x0; x < x0 + w; ++x) {
            double dx = std::max({double(x0 + radius - x), double(x - (x0 + w - 1 - radius)), 0.0});
            double dy = std::max({double(y0 + radius - y), double(y - (y0 + h - 1 - radius)), 0.0});
            double outside = std::sqrt(dx * dx + dy * dy) - radius;
            c.blend(x, y, col, 0.5 - outside);
        }
    }
}

// Blocky glyphs from a fixed 5 x 7 pattern set, drawn with soft edges.
static void glyphs(Canvas& c, int x0, int y0, const char* text, Rgb ink, int scale)
{
    static const uint8_t digitFont[10][7] = {
        {14, 17, 19, 21, 25, 17, 14}, {4, 12, 4, 4, 4, 4, 14},    {14, 17, 1, 2, 4, 8, 31},   {31, 2, 4, 2, 1, 17, 14},
        {2, 6, 10, 18, 31, 2, 2},     {31, 16, 30, 1, 1, 17, 14}, {6, 8, 16, 30, 17, 17, 14}, {31, 1, 2, 4, 8, 8, 8},
        {14, 17, 17, 14, 17, 17, 14}, {14, 17, 17, 15, 1, 2, 12}};
    for (int i = 0; text[i]; ++i) {
        const uint8_t* rows = digitFont[(text[i] - '0') % 10];
        for (int gy = 0; gy < 7; ++gy)
            for (int gx = 0; gx < 5; ++gx)
                if (rows[gy] >> (4 - gx) & 1)
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx) {
                            int x = x0 + i * 6 * scale + gx * scale + sx;
                            int y = y0 + gy * scale + sy;
                            c.blend(x, y, ink, 0.85);
                            c.blend(x + 1, y + 1, ink, 0.25);
                        }
    }
}

static void buttonFace(Canvas& c, int x0, int y0, bool lit, const char* caption)
{
    Rgb top = lit ? Rgb{190, 220, 250} : Rgb{200, 200, 204};
    Rgb bottom = lit ? Rgb{90, 150, 220} : Rgb{110, 110, 118};
    roundedBox(c, x0 + 3, y0 + 3, 68, 22, 11, top, bottom);
    if (lit) {
        for (int x = x0 + 12; x < x0 + 62; ++x) c.blend(x, y0 + 3, {240, 250, 255}, 0.6);
    }
    glyphs(c, x0 + 16, y0 + 10, caption, {30, 30, 40}, 1);
}

std::vector<uint8_t> picturePayload(int32_t width, int32_t height, const std::vector<uint8_t>& rgbTopDown)
{
    const size_t stride = skinStride(width);
    const size_t pixelBytes = size_t(width) * size_t(height) * 3;
    std::vector<uint8_t> rows(stride * size_t(height), 0);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = &rows[size_t(height - 1 - y) * stride];
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = &rgbTopDown[(size_t(y) * width + x) * 3];
            row[x * 3] = p[2];
            row[x * 3 + 1] = p[1];
            row[x * 3 + 2] = p[0];
        }
    }
    std::vector<uint8_t> payload(8 + pixelBytes);
    for (int i = 0; i < 4; ++i) {
        payload[i] = uint8_t(uint32_t(width) >> (8 * i));
        payload[4 + i] = uint8_t(uint32_t(height) >> (8 * i));
    }
    std::copy(rows.begin(), rows.begin() + std::ptrdiff_t(pixelBytes), payload.begin() + 8);
    return payload;
}

std::vector<uint8_t> syntheticSkinPayload()
{
    Canvas c{646, 200, std::vector<uint8_t>(size_t(646) * 200 * 3, 0)};
    uint32_t seed = 12345;

    // Face: a dark vertical gradient, a brushed strip, the display panel.
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 350; ++x) c.set(x, y, {20 + y / 5, 30 + y / 4, 60 + y / 3});
    for (int y = 150; y < 166; ++y)
        for (int x = 10; x < 340; ++x) {
            int grain = int(nextRandom(seed) % 5) - 2;
            c.set(x, y, {90 + grain, 94 + grain, 100 + grain});
        }
    roundedBox(c, 12, 30, 326, 96, 12, {18, 60, 30}, {8, 36, 16});
    for (int y = 34; y < 122; ++y)  // a soft highlight across the panel
        for (int x = 16; x < 334; ++x) {
            double dx = (x - 120) / 90.0;
            double dy = (y - 50) / 40.0;
            c.blend(x, y, {120, 200, 140}, 0.35 * std::exp(-(dx * dx + dy * dy)));
        }
    glyphs(c, 40, 50, "11344", {160, 240, 170}, 3);
    glyphs(c, 40, 100, "27500", {120, 200, 130}, 1);
    for (int x = 40; x < 300; ++x)  // level bar with a horizontal gradient
        for (int y = 80; y < 92; ++y) c.set(x, y, {x - 40, 200 - (x - 40) / 2, 40});

    // Keypad on the face, then the title and bottom buttons.
    for (int k = 0; k < 16; ++k) {
        int kx = 14 + (k % 8) * 40;
        int ky = 128 + (k / 8) * 11;
        roundedBox(c, kx, ky, 34, 10, 4, {70, 80, 96}, {50, 56, 70});
        char digit[2] = {char('0' + k % 10), 0};
        glyphs(c, kx + 14, ky + 2, digit, {220, 220, 220}, 1);
    }
    for (int b = 0; b < 3; ++b) buttonFace(c, 20 + b * 110, 170, false, b == 0 ? "0" : b == 1 ? "1" : "2");
    roundedBox(c, 310, 4, 14, 14, 7, {200, 60, 60}, {140, 30, 30});
    roundedBox(c, 290, 4, 14, 14, 7, {200, 200, 60}, {140, 140, 30});

    // Atlas: four rows of button faces in the plain and the lit state, then
    // side icons on a flat background.
    for (int y = 0; y < 200; ++y)
        for (int x = 350; x < 646; ++x) c.set(x, y, {0, 0, 0});
    const char* captions[4][4] = {
        {"0", "1", "24", "38"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}, {"13", "14", "15", "16"}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            buttonFace(c, 350 + col * 74, row * 56, false, captions[row][col]);
            buttonFace(c, 350 + col * 74, row * 56 + 28, true, captions[row][col]);
        }
    for (int icon = 0; icon < 6; ++icon) {
        int ix = 352 + icon * 48;
        roundedBox(c, ix, 172, 40, 24, 6, {60, 60 + icon * 20, 200 - icon * 20}, {20, 30, 90});
        glyphs(c, ix + 8, 178, icon % 2 ? "7" : "4", {250, 250, 250}, 2);
    }
    return picturePayload(646, 200, c.rgb);
}
