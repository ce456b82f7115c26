// The built bundle/ as the game sees it: every generated texture and picture
// loads through the game's own readers, and every name the game asks for is
// there at every caption scale its device profiles use.
#include "ModelView.h"
#include "Models.h"
#include "constants/ResourceNames.h"
#include "engine/Bundle.h"
#include "engine/DeviceProfile.h"
#include "render/PodBox.h"
#include "render/Texture.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace names = ZQ::ResourceNames;

std::vector<std::string> filesWithExtension(const std::string& extension) {
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(ZQ::bundleFolder())) {
        if (entry.is_regular_file() && entry.path().extension() == "." + extension) {
            found.push_back(entry.path().stem().string());
        }
    }
    return found;
}

bool isPowerOfTwo(int32_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

class BundleFilesTest : public HeadlessGLTest {};

// 8 normal maps and 14 reliefs; the cords repeat theirs, so they must be
// powers of two for GL ES 2.0's repeat wrapping.
TEST_F(BundleFilesTest, EveryPvrTextureLoadsWithItsSize) {
    const std::vector<std::string> pvr = filesWithExtension("pvr");
    EXPECT_EQ(pvr.size(), 8u + 14u);
    for (const std::string& name : pvr) {
        ZQ::TextureFile texture(name, "pvr", true, GL_NEAREST, GL_NEAREST);
        texture.setUp();
        EXPECT_NE(texture.name, 0u) << name;
        EXPECT_TRUE(isPowerOfTwo(texture.width) && isPowerOfTwo(texture.height)) << name;
        EXPECT_EQ(texture.width, texture.height) << name;
    }
    EXPECT_NO_GL_ERROR();
}

// The caption box loads four pictures at the profile's caption scale, the
// fourteen buttons and the two fills: every profile must find all of them.
TEST_F(BundleFilesTest, EveryPictureTheGameNamesIsThereAtEveryScale) {
    std::set<int32_t> scales;
    for (uint32_t type = 0; type < 64; ++type) {
        scales.insert(ZQ::DeviceProfile::forPlatformType(type).captionScale);
    }
    const std::string* const buttons[] = {
        &names::ui_play,  &names::ui_map,    &names::ui_continue, &names::ui_leaderboards, &names::ui_pause,
        &names::ui_share, &names::ui_story,  &names::ui_stop,     &names::ui_tutorial,     &names::ui_restart,
        &names::ui_zen,   &names::ui_arcade, &names::ui_mute_on,  &names::ui_mute_off};
    for (const std::string* button : buttons) {
        EXPECT_FALSE(ZQ::pathForResource(*button, "pvr").empty()) << *button;
    }
    std::vector<std::string> pictures;
    for (const std::string* base : {&names::hourglass, &names::ring, &names::zr_title, &names::zen}) {
        // A picture at scale s is s times the size of the picture at scale 1.
        ZQ::TextureFile one(*base + "@1", "png", false, GL_LINEAR, GL_LINEAR);
        one.setUp();
        ASSERT_NE(one.name, 0u) << *base;
        for (int32_t scale : scales) {
            const std::string name = *base + "@" + std::to_string(scale);
            ZQ::TextureFile picture(name, "png", false, GL_LINEAR, GL_LINEAR);
            picture.setUp();
            EXPECT_NE(picture.name, 0u) << name;
            EXPECT_EQ(picture.width, one.width * scale) << name;
            EXPECT_EQ(picture.height, one.height * scale) << name;
        }
    }
    for (const std::string* fill : {&names::story_bg_1px, &names::tile_bg_1px}) {
        ZQ::TextureFile picture(*fill, "png", false, GL_LINEAR, GL_LINEAR);
        picture.setUp();
        EXPECT_NE(picture.name, 0u) << *fill;
        EXPECT_EQ(picture.width, 1) << *fill;
        EXPECT_EQ(picture.height, 1) << *fill;
    }
    EXPECT_EQ(filesWithExtension("png").size(), 4 * scales.size() + 2);
    EXPECT_NO_GL_ERROR();
}

// The size of the box along x (0), y (1) or z (2).
float extent(const ZQ::PodModel::Corners& corners, int axis) {
    const PVRTVec3 size = corners[7] - corners[0];
    return axis == 0 ? size.x : axis == 1 ? size.y : size.z;
}

// The seven models load into the game's model box with one drawable mesh
// each, holding what the generator made, at the sizes their callers need.
TEST_F(BundleFilesTest, EveryModelLoadsIntoTheModelBox) {
    EXPECT_EQ(filesWithExtension("pod").size(), 7u);
    ZQ::PodBox box;
    box.setUp();
    for (int32_t id = 0; id < ZQ::PodBox::kModelCount; ++id) {
        const ZQ::PodModel* model = box.model(id);
        ASSERT_NE(model, nullptr);
        ASSERT_EQ(model->meshCount(), 1u) << ZQ::PodBox::modelName(id);
        EXPECT_TRUE(model->drawable(0)) << ZQ::PodBox::modelName(id);
        // The file holds exactly the generator's mesh: the writer and the
        // game's reader agree on every float and index.
        const VelmoraBundle::ModelMesh read = VelmoraBundle::meshOfPod(model->scene->meshes[0]);
        const VelmoraBundle::ModelMesh made = VelmoraBundle::makeModel(id);
        EXPECT_EQ(read.vertices, made.vertices) << ZQ::PodBox::modelName(id);
        EXPECT_EQ(read.indices, made.indices) << ZQ::PodBox::modelName(id);
    }
    // The level map puts the smallest disc wider than a hologram under it,
    // trying the small one first: each must be wider than the one before.
    const auto width = [&](int32_t id) { return extent(box.model(id)->bounds[0], 0); };
    EXPECT_LT(width(ZQ::PodBox::kDiscSmall), width(ZQ::PodBox::kDiscMedium));
    EXPECT_LT(width(ZQ::PodBox::kDiscMedium), width(ZQ::PodBox::kDisc));
    // The discs lie flat under the holograms (thin in y); the cursor ring
    // faces the camera round the z axis (thin in z).
    for (int32_t id : {ZQ::PodBox::kDisc, ZQ::PodBox::kDiscMedium, ZQ::PodBox::kDiscSmall}) {
        const ZQ::PodModel::Corners& b = box.model(id)->bounds[0];
        EXPECT_LT(extent(b, 1) * 4, extent(b, 0)) << ZQ::PodBox::modelName(id);
        EXPECT_FLOAT_EQ(extent(b, 0), extent(b, 2)) << ZQ::PodBox::modelName(id);
    }
    const ZQ::PodModel::Corners& ring = box.model(ZQ::PodBox::kTorus)->bounds[0];
    EXPECT_LT(extent(ring, 2) * 4, extent(ring, 0));
    box.tearDown();
    EXPECT_NO_GL_ERROR();
}

} // namespace
