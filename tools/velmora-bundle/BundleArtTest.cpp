// What the generated files hold, read back from bundle/ through the game's
// PVR parser: the normal maps tile, the reliefs leave the tile's frame flat,
// the heads-up pictures leave room for their numbers.
#include "NormalMaps.h"
#include "Raster.h"
#include "Reliefs.h"
#include "constants/ResourceNames.h"
#include "engine/Bundle.h"
#include "render/PVRTResourceFile.h"
#include "render/PVRTTexture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace VelmoraBundle;
namespace names = ZQ::ResourceNames;

struct Texels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    const uint8_t* at(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};

// An RGBA8888 PVR file of the bundle, as the game's parser reads it.
Texels readPvr(const std::string& name) {
    Texels texels;
    const CPVRTResourceFile file(ZQ::pathForResource(name, "pvr").c_str());
    EXPECT_TRUE(file.isOpen()) << name;
    if (!file.isOpen()) {
        return texels;
    }
    ZQ::PVRTParsedTexture parsed;
    const char* problem = ZQ::parsePVRTexture(file.getData(), file.getSize(), parsed);
    EXPECT_EQ(problem, nullptr) << name;
    if (problem != nullptr) {
        return texels;
    }
    texels.width = static_cast<int>(parsed.header.width);
    texels.height = static_cast<int>(parsed.header.height);
    texels.rgba.assign(parsed.data, parsed.data + std::size_t(texels.width) * texels.height * 4);
    return texels;
}

Texels readPng(const std::string& name) {
    Texels texels;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    const std::string path = ZQ::pathForResource(name, "png");
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        ADD_FAILURE() << name << ": " << image.message;
        return texels;
    }
    image.format = PNG_FORMAT_RGBA;
    texels.width = static_cast<int>(image.width);
    texels.height = static_cast<int>(image.height);
    texels.rgba.resize(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, texels.rgba.data(), 0, nullptr), 0) << name;
    return texels;
}

std::array<float, 3> normalAt(const Texels& t, int x, int y) {
    const uint8_t* p = t.at(x, y);
    return {p[0] / 127.5f - 1.0f, p[1] / 127.5f - 1.0f, p[2] / 127.5f - 1.0f};
}

// Mean distance between the normals of columns a and b (or rows, `rows`).
float lineStep(const Texels& t, int a, int b, bool rows) {
    const int n = rows ? t.width : t.height;
    float sum = 0.0f;
    for (int k = 0; k < n; ++k) {
        const auto p = rows ? normalAt(t, k, a) : normalAt(t, a, k);
        const auto q = rows ? normalAt(t, k, b) : normalAt(t, b, k);
        sum += std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                         (p[2] - q[2]) * (p[2] - q[2]));
    }
    return sum / static_cast<float>(n);
}

// A map tiles when the step from its last column to its first (and last row
// to first) is no larger than the largest step between neighbours inside it:
// the seam is just one more pair of neighbours. `size` crops the map first.
bool tilesAlong(const Texels& t, bool rows, int size) {
    float inside = 0.0f;
    for (int a = 0; a + 1 < size; ++a) {
        inside = std::max(inside, lineStep(t, a, a + 1, rows));
    }
    return lineStep(t, size - 1, 0, rows) <= inside;
}

TEST(NormalMaps, TileWithoutSeamsAndAreMild) {
    for (int i = 0; i < kNormalMapCount; ++i) {
        const Texels t = readPvr(normalMapName(i));
        ASSERT_EQ(t.width, kNormalMapEdge) << normalMapName(i);
        EXPECT_TRUE(tilesAlong(t, false, t.width))
            << normalMapName(i) << " has a seam between left and right";
        EXPECT_TRUE(tilesAlong(t, true, t.height))
            << normalMapName(i) << " has a seam between bottom and top";
        // The cord wraps only the left half round its tube on most screens:
        // that half must meet itself too, or a seam runs along the cord.
        EXPECT_TRUE(tilesAlong(t, false, t.width / 2))
            << normalMapName(i) << " has a seam along the tube between its halves";
        // The check sees a seam where there is one: cut off-period at one of
        // a few widths, the map no longer meets itself. (A cut can land where
        // the pattern has an edge of its own, so not every width shows it.)
        bool caught = false;
        for (int cut = t.width * 5 / 8; cut < t.width; cut += 9) {
            caught = caught || !tilesAlong(t, false, cut) || !tilesAlong(t, true, cut);
        }
        EXPECT_TRUE(caught) << normalMapName(i);

        // Mild: the cords' Gooch shading must still read, so the mean normal
        // faces out of the surface and none lies flatter than 45 degrees.
        float meanZ = 0.0f;
        float leastZ = 1.0f;
        for (int y = 0; y < t.height; ++y) {
            for (int x = 0; x < t.width; ++x) {
                const float z = normalAt(t, x, y)[2];
                meanZ += z;
                leastZ = std::min(leastZ, z);
            }
        }
        meanZ /= static_cast<float>(t.width * t.height);
        EXPECT_GT(meanZ, 0.9f) << normalMapName(i);
        EXPECT_GT(leastZ, 0.7f) << normalMapName(i);
    }
}

// The tile shader bends the front by relief = a x (rgb x 2 - 1) and samples
// the corner texel everywhere outside the label.
TEST(Reliefs, CornerTexelsBendNothingAndEveryIconStandsOut) {
    std::vector<std::vector<uint8_t>> seen;
    for (int i = 0; i < kReliefCount; ++i) {
        const Texels t = readPvr(reliefName(i));
        ASSERT_EQ(t.width, kReliefEdge) << reliefName(i);
        // The whole border band bends nothing, and the label meets it
        // level: the first bent texels inside it are flat, so no step shows
        // where the label's edge meets the tile's frame.
        int bentBorder = 0;
        int steps = 0;
        for (int y = 0; y < t.height; ++y) {
            for (int x = 0; x < t.width; ++x) {
                const int depth = std::min({x, y, t.width - 1 - x, t.height - 1 - y});
                const uint8_t* q = t.at(x, y);
                if (depth < kReliefMargin) {
                    bentBorder += q[3] != 0 ? 1 : 0;
                } else if (depth == kReliefMargin) {
                    const float a = q[3] / 255.0f;
                    steps +=
                        std::hypot(a * (q[0] / 127.5f - 1.0f), a * (q[1] / 127.5f - 1.0f)) > 0.05f ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(bentBorder, 0) << reliefName(i);
        EXPECT_EQ(steps, 0) << reliefName(i) << " steps up from the frame";
        // The bent texels lean away from the raised icon, downhill: compare
        // with the slope of the icon's height field taken here.
        const std::vector<float> h = reliefHeights(i);
        const auto height = [&](int x, int y) { return h[std::size_t(y) * t.width + x]; };
        int steep = 0;
        int downhill = 0;
        for (int y = 1; y + 1 < t.height; ++y) {
            for (int x = 1; x + 1 < t.width; ++x) {
                const float gx = height(x + 1, y) - height(x - 1, y);
                const float gy = height(x, y + 1) - height(x, y - 1);
                if (std::hypot(gx, gy) < 0.1f) {
                    continue;
                }
                const uint8_t* q = t.at(x, y);
                const float a = q[3] / 255.0f;
                const float rx = a * (q[0] / 127.5f - 1.0f);
                const float ry = a * (q[1] / 127.5f - 1.0f);
                ++steep;
                downhill += (rx * gx + ry * gy < 0.0f) ? 1 : 0;
            }
        }
        EXPECT_GT(steep, 1000) << reliefName(i) << " barely stands out";
        EXPECT_EQ(downhill, steep) << reliefName(i);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), t.rgba), 0)
            << reliefName(i) << " repeats another icon";
        seen.push_back(t.rgba);
    }
}

// The distance under the buttons' bevels, against the nearest outside texel
// found by trying every one, on a mask with round, straight and lone parts.
TEST(Raster, InsideDistanceIsTheDistanceToTheNearestOutsideTexel) {
    constexpr int w = 37;
    constexpr int h = 23;
    HeightField mask(w, h);
    Dice dice(5);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool disc = std::hypot(x - 12.0f, y - 11.0f) < 9.0f;
            const bool bar = x > 24 && x < 34 && y > 2 && y < 20;
            mask.at(x, y) = (disc || bar || dice.unit() < 0.05f) && dice.unit() > 0.03f ? 1.0f : 0.0f;
        }
    }
    const HeightField distance = insideDistance(mask);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float nearest = 0.0f;
            if (mask.at(x, y) >= 0.5f) {
                nearest = 1.0e9f;
                for (int v = 0; v < h; ++v) {
                    for (int u = 0; u < w; ++u) {
                        if (mask.at(u, v) < 0.5f) {
                            nearest = std::min(nearest, std::hypot(float(u - x), float(v - y)));
                        }
                    }
                }
            }
            EXPECT_NEAR(distance.at(x, y), nearest, 1e-4f) << x << "," << y;
        }
    }
}

// The caption model centres a heads-up picture on 0.1 w and starts its
// number at 0.1 w: the right half of each must be clear, the left half not.
TEST(Pictures, HeadsUpIconsLeaveTheirRightHalfToTheNumber) {
    for (const std::string* base : {&names::hourglass, &names::ring, &names::zen}) {
        for (int scale = 1; scale <= 3; ++scale) {
            const std::string name = *base + "@" + std::to_string(scale);
            const Texels t = readPng(name);
            ASSERT_GT(t.width, 0) << name;
            int left = 0;
            int right = 0;
            for (int y = 0; y < t.height; ++y) {
                for (int x = 0; x < t.width; ++x) {
                    (x < t.width / 2 ? left : right) += t.at(x, y)[3] > 0 ? 1 : 0;
                }
            }
            EXPECT_EQ(right, 0) << name;
            EXPECT_GT(left, t.width * t.height / 16) << name;
        }
    }
    // The tile containers' fill bends nothing; the outro's backdrop hides
    // most of the room behind the white lines.
    EXPECT_EQ(readPng(names::tile_bg_1px).at(0, 0)[3], 0);
    const Texels backdrop = readPng(names::story_bg_1px);
    EXPECT_GT(backdrop.at(0, 0)[3], 200);
    EXPECT_LT(backdrop.at(0, 0)[0] + backdrop.at(0, 0)[1] + backdrop.at(0, 0)[2], 3 * 64);
}

} // namespace
