#include "render/ShadowCasterGrid.h"

#include "cords/CordMeshWorker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using ZQ::CordVertex;
using ZQ::ShadowCasterGrid;

constexpr int32_t kWidth = 100;
constexpr int32_t kHeight = 60;

CordVertex at(float x, float y, float z = 0.0f) {
    return CordVertex{{x, y, z}, {}, {}, 0.0f};
}

// Device coordinates of a texel position on the kWidth x kHeight map.
float ndcX(float texel) {
    return texel / static_cast<float>(kWidth) * 2.0f - 1.0f;
}
float ndcY(float texel) {
    return texel / static_cast<float>(kHeight) * 2.0f - 1.0f;
}

// Random triangles; every rectangle the grid calls clear must miss the
// outline of every triangle (widened by the texels a rasteriser may reach),
// and a rectangle far from all of them must be called clear.
TEST(ShadowCasterGridTest, AClearRectangleMissesEveryCaster) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> texelX(0.0f, kWidth);
    std::uniform_real_distribution<float> texelY(0.0f, kHeight);
    std::vector<CordVertex> vertices;
    std::vector<uint32_t> indices;
    for (int t = 0; t < 6; ++t) {
        const float cx = texelX(random) * 0.5f;
        const float cy = texelY(random) * 0.5f;
        for (int k = 0; k < 3; ++k) {
            vertices.push_back(
                at(ndcX(cx + 6.0f * static_cast<float>(k % 2)), ndcY(cy + 5.0f * static_cast<float>(k / 2))));
            indices.push_back(static_cast<uint32_t>(vertices.size() - 1));
        }
    }
    ShadowCasterGrid grid;
    grid.reset(kWidth, kHeight, 3);
    EXPECT_TRUE(grid.clear(0, 0, kWidth - 1, kHeight - 1)) << "a new grid has no casters";
    grid.project(PVRTMat4::identity(), vertices.data(), vertices.size());
    grid.addTriangles(indices.data(), indices.size());
    EXPECT_FALSE(grid.clear(0, 0, kWidth - 1, kHeight - 1));

    std::uniform_int_distribution<int32_t> x(-20, kWidth + 20);
    std::uniform_int_distribution<int32_t> y(-20, kHeight + 20);
    int32_t clear = 0;
    for (int n = 0; n < 2000; ++n) {
        int32_t x0 = x(random), x1 = x(random), y0 = y(random), y1 = y(random);
        if (x0 > x1) {
            std::swap(x0, x1);
        }
        if (y0 > y1) {
            std::swap(y0, y1);
        }
        if (!grid.clear(x0, y0, x1, y1)) {
            continue;
        }
        ++clear;
        // The sampler clamps: the rectangle as texels on the map.
        const int32_t cx0 = std::clamp(x0, 0, kWidth - 1), cx1 = std::clamp(x1, 0, kWidth - 1);
        const int32_t cy0 = std::clamp(y0, 0, kHeight - 1), cy1 = std::clamp(y1, 0, kHeight - 1);
        for (std::size_t t = 0; t < indices.size(); t += 3) {
            float lx = 1e9f, ly = 1e9f, hx = -1e9f, hy = -1e9f;
            for (std::size_t k = 0; k < 3; ++k) {
                const float* p = vertices[indices[t + k]].position;
                const float tx = (p[0] + 1.0f) * 0.5f * kWidth, ty = (p[1] + 1.0f) * 0.5f * kHeight;
                lx = std::min(lx, tx);
                hx = std::max(hx, tx);
                ly = std::min(ly, ty);
                hy = std::max(hy, ty);
            }
            const bool apart =
                static_cast<float>(cx1) + 1.0f < lx - 1.0f || static_cast<float>(cx0) > hx + 1.0f ||
                static_cast<float>(cy1) + 1.0f < ly - 1.0f || static_cast<float>(cy0) > hy + 1.0f;
            EXPECT_TRUE(apart) << "rectangle " << x0 << "," << y0 << " - " << x1 << "," << y1
                               << " meets triangle " << t / 3;
        }
    }
    EXPECT_GT(clear, 50) << "the casters lie in the lower left quarter";
    EXPECT_TRUE(grid.clear(kWidth - 10, kHeight - 10, kWidth + 50, kHeight + 50));
}

// A caster reaching behind the light's eye has no outline on the map: the
// whole map counts as cast on. So does a map never reset.
TEST(ShadowCasterGridTest, ACasterBehindTheLightCoversTheMap) {
    ShadowCasterGrid unknown;
    EXPECT_FALSE(unknown.clear(0, 0, 1, 1));

    ShadowCasterGrid grid;
    grid.reset(kWidth, kHeight, 0);
    // w = -z with this matrix: the third vertex lies behind the eye.
    PVRTMat4 perspective = PVRTMat4::identity();
    perspective(3, 3) = 0.0f;
    perspective(3, 2) = -1.0f;
    const CordVertex vertices[3] = {at(0.0f, 0.0f, -2.0f), at(0.1f, 0.0f, -2.0f), at(0.0f, 0.1f, 1.0f)};
    const uint32_t indices[3] = {0, 1, 2};
    grid.project(perspective, vertices, 3);
    grid.addTriangles(indices, 3);
    EXPECT_FALSE(grid.clear(kWidth - 2, kHeight - 2, kWidth - 1, kHeight - 1));
}

} // namespace
