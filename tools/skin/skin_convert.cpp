#include "tools/skin/skin_convert.h"

#include <algorithm>
#include <cstddef>
#include <map>

#include "image/skin_pixels.h"

static void putLe16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

static void putLe32(std::vector<uint8_t>& out, uint32_t v)
{
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

static uint8_t red(uint32_t c) { return static_cast<uint8_t>(c >> 16); }
static uint8_t green(uint32_t c) { return static_cast<uint8_t>(c >> 8); }
static uint8_t blue(uint32_t c) { return static_cast<uint8_t>(c); }
static uint8_t channel(uint32_t c, int which) { return static_cast<uint8_t>(c >> (16 - 8 * which)); }

// A group of distinct colours with how often each occurs, as the median cut splits them.
using ColourCounts = std::vector<std::pair<uint32_t, uint32_t>>;

static int widestChannel(const ColourCounts& box, int* range)
{
    int best = 0;
    *range = -1;
    for (int ch = 0; ch < 3; ++ch) {
        int lo = 255, hi = 0;
        for (const auto& cc : box) {
            lo = std::min<int>(lo, channel(cc.first, ch));
            hi = std::max<int>(hi, channel(cc.first, ch));
        }
        if (hi - lo > *range) {
            *range = hi - lo;
            best = ch;
        }
    }
    return best;
}

static uint32_t averageColour(const ColourCounts& box)
{
    uint64_t sum[3] = {0, 0, 0}, total = 0;
    for (const auto& cc : box) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] += uint64_t(channel(cc.first, ch)) * cc.second;
        total += cc.second;
    }
    uint32_t c = 0;
    for (int ch = 0; ch < 3; ++ch) c = (c << 8) | uint32_t((sum[ch] + total / 2) / total);
    return c;
}

// Median cut: split the box with the widest colour range (ties to the more frequent)
// at its pixel-weighted median until there are `limit` boxes.
static std::vector<uint32_t> medianCut(const std::map<uint32_t, uint32_t>& histogram, size_t limit)
{
    std::vector<ColourCounts> boxes(1, ColourCounts(histogram.begin(), histogram.end()));
    while (boxes.size() < limit) {
        size_t pick = boxes.size();
        int pickRange = 0;
        uint64_t pickWeight = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2) continue;
            int range;
            widestChannel(boxes[i], &range);
            uint64_t weight = 0;
            for (const auto& cc : boxes[i]) weight += cc.second;
            if (pick == boxes.size() || range > pickRange || (range == pickRange && weight > pickWeight)) {
                pick = i;
                pickRange = range;
                pickWeight = weight;
            }
        }
        if (pick == boxes.size()) break;
        ColourCounts& box = boxes[pick];
        int range;
        int ch = widestChannel(box, &range);
        std::sort(box.begin(), box.end(), [ch](const auto& a, const auto& b) {
            return channel(a.first, ch) < channel(b.first, ch) ||
                   (channel(a.first, ch) == channel(b.first, ch) && a.first < b.first);
        });
        uint64_t half = 0, seen = 0;
        for (const auto& cc : box) half += cc.second;
        half /= 2;
        size_t cut = 1;
        for (; cut < box.size() - 1; ++cut) {
            seen += box[cut - 1].second;
            if (seen >= half) break;
        }
        ColourCounts upper(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<uint32_t> colours;
    for (const auto& box : boxes) colours.push_back(averageColour(box));
    return colours;
}

static uint32_t distance(uint32_t a, uint32_t b)
{
    int dr = red(a) - red(b), dg = green(a) - green(b), db = blue(a) - blue(b);
    return uint32_t(dr * dr + dg * dg + db * db);
}

std::vector<uint8_t> makeSkinPayload(const uint8_t* rgb, int32_t width, int32_t height)
{
    const size_t pixelBytes = size_t(width) * size_t(height) * 3;
    const size_t stride = skinStride(width);
    std::vector<uint8_t> out;
    out.reserve(8 + size_t(height) * stride);
    putLe32(out, uint32_t(width));
    putLe32(out, uint32_t(height));
    for (int32_t row = height - 1; row >= 0; --row) {
        const uint8_t* p = rgb + size_t(row) * size_t(width) * 3;
        for (int32_t x = 0; x < width; ++x, p += 3) {
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        for (size_t pad = size_t(width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    // The resource carries only width * height * 3 pixel bytes, so the array stops
    // short of the padding of the last rows: the end of the top row is not stored.
    out.resize(8 + pixelBytes);
    return out;
}

IndexedPicture indexIconPicture(const IconPicture& picture)
{
    const size_t count = size_t(picture.size) * size_t(picture.size);
    IndexedPicture out;
    out.size = picture.size;
    out.indices.assign(count, 0);
    out.transparent.assign(count, 0);
    std::vector<uint32_t> colours(count, 0);
    std::map<uint32_t, uint32_t> histogram;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &picture.rgba[i * 4];
        if (p[3] < 128) {
            out.transparent[i] = 1;
            continue;
        }
        colours[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        ++histogram[colours[i]];
    }

    // Entry 0 stays black for the transparent pixels; 255 entries for the picture.
    std::vector<uint32_t> chosen;
    if (histogram.size() <= 255) {
        for (const auto& hc : histogram) chosen.push_back(hc.first);
    } else {
        chosen = medianCut(histogram, 255);
    }
    out.palette.assign(256, 0);
    std::copy(chosen.begin(), chosen.end(), out.palette.begin() + 1);
    const size_t used = chosen.size() + 1;

    std::map<uint32_t, uint8_t> nearest;
    for (const auto& hc : histogram) {
        size_t best = 1;
        for (size_t k = 2; k < used; ++k)
            if (distance(hc.first, out.palette[k]) < distance(hc.first, out.palette[best])) best = k;
        nearest[hc.first] = static_cast<uint8_t>(best);
    }
    for (size_t i = 0; i < count; ++i)
        if (!out.transparent[i]) out.indices[i] = nearest[colours[i]];
    return out;
}

std::vector<uint8_t> makeIconFile(const std::vector<IconPicture>& pictures)
{
    std::vector<std::vector<uint8_t>> images;
    for (const IconPicture& picture : pictures) {
        const IndexedPicture indexed = indexIconPicture(picture);
        const uint32_t size = uint32_t(indexed.size);
        const uint32_t xorStride = (size + 3) & ~3u;
        const uint32_t andStride = (size + 31) / 32 * 4;
        std::vector<uint8_t> image;
        putLe32(image, 40);
        putLe32(image, size);
        putLe32(image, size * 2);  // XOR pixels and AND mask, one above the other
        putLe16(image, 1);
        putLe16(image, 8);
        putLe32(image, 0);
        putLe32(image, (xorStride + andStride) * size);
        for (int k = 0; k < 4; ++k) putLe32(image, 0);
        for (uint32_t c : indexed.palette) {
            image.push_back(blue(c));
            image.push_back(green(c));
            image.push_back(red(c));
            image.push_back(0);
        }
        for (uint32_t row = size; row-- > 0;) {
            for (uint32_t x = 0; x < xorStride; ++x) image.push_back(x < size ? indexed.indices[row * size + x] : 0);
        }
        for (uint32_t row = size; row-- > 0;) {
            std::vector<uint8_t> bits(andStride, 0);
            for (uint32_t x = 0; x < size; ++x)
                if (indexed.transparent[row * size + x]) bits[x / 8] |= uint8_t(0x80 >> (x % 8));
            image.insert(image.end(), bits.begin(), bits.end());
        }
        images.push_back(std::move(image));
    }

    std::vector<uint8_t> out;
    putLe16(out, 0);
    putLe16(out, 1);  // icon, not cursor
    putLe16(out, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const uint32_t size = uint32_t(pictures[i].size);
        out.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size));
        out.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size));
        out.push_back(0);  // 256 colours are written as 0
        out.push_back(0);
        putLe16(out, 1);
        putLe16(out, 8);
        putLe32(out, uint32_t(images[i].size()));
        putLe32(out, offset);
        offset += uint32_t(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}
