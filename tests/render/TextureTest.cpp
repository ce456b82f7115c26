#include "render/Texture.h"
#include "PngWriter.h"
#include "PvrFixtures.h"
#include "TextureProbe.h"
#include "engine/Bundle.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Texture files in a folder of their own inside the bundle, named
// "<folder>/<name>" as the game would name a resource.
class TextureTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        removeFoldersOfEndedRuns();
        folderName = kPrefix + std::to_string(getpid());
        folder = fs::path(ZQ::bundleFolder()) / folderName;
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::remove_all(folder);
        HeadlessGLTest::TearDown();
    }

    // A run that never reached its tear-down (a death test's child, a killed
    // run) leaves its folder behind; no such folder may stay in the bundle.
    static void removeFoldersOfEndedRuns() {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(ZQ::bundleFolder(), error)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(kPrefix, 0) == 0 && !fs::exists("/proc/" + name.substr(kPrefix.size()), error)) {
                fs::remove_all(entry.path(), error);
            }
        }
    }

    static inline const std::string kPrefix = "texture-test-";

    // The resource name of `file` written as <name>.<ext>.
    std::string put(const std::string& name, const std::string& ext, const std::vector<uint8_t>& file) {
        EXPECT_TRUE(PvrWriter::writeFile((folder / (name + "." + ext)).string(), file));
        return folderName + "/" + name;
    }

    // A 3 x 2 picture: top row red, green, blue; bottom row white, black, grey.
    std::string putPng(const std::string& name, const std::string& ext) {
        const std::vector<uint8_t> rgba = {255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255,
                                           255, 255, 255, 255, 0, 0,   0, 255, 128, 128, 128, 255};
        EXPECT_TRUE(PngWriter::writePng((folder / (name + "." + ext)).string(), 3, 2, rgba));
        return folderName + "/" + name;
    }

    // setUp with standard error captured.
    static std::string setUpLogged(ZQ::Texture& texture) {
        testing::internal::CaptureStderr();
        texture.setUp();
        return testing::internal::GetCapturedStderr();
    }

    static void expectLeftUnbound() {
        GLint active = 0;
        GLint bound = -1;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(active, GL_TEXTURE0);
        EXPECT_EQ(bound, 0);
    }

    static GLint parameter(GLuint name, GLenum which) {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
        glBindTexture(GL_TEXTURE_2D, 0);
        return value;
    }

    std::string folderName;
    fs::path folder;
};

TEST_F(TextureTest, APvrFileLoadsWithTheCreatorsWrapAndFilters) {
    const std::vector<uint8_t> texels = PvrFixtures::ramp(100 * 64 * 4);
    const std::string name = put(
        "normals", "pvr", PvrWriter::writeV3(PvrFixtures::v3(PvrFixtures::kRGBA8888, 0, 100, 64), texels));
    // The reader would clamp a 100 x 64 picture; the creator asks for repeat.
    ZQ::TextureFile texture(name, "pvr", true, GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(setUpLogged(texture), "");
    ASSERT_NE(texture.name, 0u);
    EXPECT_EQ(texture.width, 100);
    EXPECT_EQ(texture.height, 64);
    expectLeftUnbound();
    EXPECT_EQ(parameter(texture.name, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(texture.name, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(parameter(texture.name, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(texture.name, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    TextureProbe probe;
    EXPECT_EQ(probe.read2D(texture.name, 100, 64), texels);
}

// The creator's sampling goes on the target the file made: a cube map
// bound to GL_TEXTURE_2D would fail and leave its error to the next caller.
TEST_F(TextureTest, ACubeMapFileTakesTheCreatorsSamplingWithoutAGLError) {
    const std::string name = put("sky", "pvr",
                                 PvrWriter::writeV3(PvrFixtures::v3(PvrFixtures::kRGBA8888, 0, 2, 2, 1, 6),
                                                    PvrFixtures::ramp(6 * 16)));
    ZQ::TextureFile texture(name, "pvr", false, GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(setUpLogged(texture), "");
    ASSERT_NE(texture.name, 0u);
    EXPECT_NO_GL_ERROR();
    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture.name);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, &wrap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE); // the reader chose repeat for 2 x 2
    expectLeftUnbound();
}

TEST_F(TextureTest, APngLoadsUprightWithItsSize) {
    TextureProbe probe;
    ZQ::TextureFile upright(putPng("picture", "png"), "png", false, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(setUpLogged(upright), "");
    ASSERT_NE(upright.name, 0u);
    EXPECT_EQ(upright.width, 3);
    EXPECT_EQ(upright.height, 2);
    expectLeftUnbound();
    EXPECT_EQ(parameter(upright.name, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    // First GL row = bottom of the picture.
    const std::vector<uint8_t> bottomFirst = {255, 255, 255, 255, 0, 0,   0, 255, 128, 128, 128, 255,
                                              255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255};
    EXPECT_EQ(probe.read2D(upright.name, 3, 2), bottomFirst);

    // Any other extension takes the loader's own order: top row first.
    ZQ::TextureFile topFirst(putPng("shouting", "PNG"), "PNG", false, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(setUpLogged(topFirst), "");
    const std::vector<uint8_t> rows = probe.read2D(topFirst.name, 3, 2);
    EXPECT_EQ(std::vector<uint8_t>(rows.begin(), rows.begin() + 12),
              std::vector<uint8_t>(bottomFirst.begin() + 12, bottomFirst.end()));
}

TEST_F(TextureTest, MissingResourcesLogAndLeaveAnEmptyTexture) {
    ZQ::TextureFile pvr(folderName + "/absent", "pvr", true, GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(setUpLogged(pvr),
              "EPVRTError: 1: no " + folderName + "/absent.pvr in " + ZQ::bundleFolder() + "\n");
    EXPECT_EQ(pvr.name, 0u);
    EXPECT_EQ(pvr.width, 0);
    expectLeftUnbound();

    ZQ::TextureFile png(folderName + "/absent", "png", false, GL_LINEAR, GL_LINEAR);
    const std::string log = setUpLogged(png);
    EXPECT_EQ(log.rfind("GLKTextureLoader: ", 0), 0u) << log;
    EXPECT_NE(log.find("absent.png"), std::string::npos) << log;
    EXPECT_NE(log.find("\nglError: 0\n"), std::string::npos) << log;
    EXPECT_EQ(png.name, 0u);
    EXPECT_EQ(png.width, 0);
    EXPECT_EQ(png.height, 0);
    expectLeftUnbound();
}

TEST_F(TextureTest, ABrokenPvrFileLogsOnceAndTheGameGoesOn) {
    std::vector<uint8_t> file =
        PvrWriter::writeV3(PvrFixtures::v3(PvrFixtures::kRGBA8888, 0, 8, 8), PvrFixtures::ramp(256));
    file.pop_back();
    ZQ::TextureFile texture(put("cut", "pvr", file), "pvr", false, GL_LINEAR, GL_LINEAR);
    const std::string log = setUpLogged(texture);
    EXPECT_EQ(log,
              "PVRTTextureLoadFromPointer failed: the file is shorter than the data its header promises.\n"
              "EPVRTError: 1: " +
                  (folder / "cut.pvr").string() + " is not a texture the game can read\n");
    EXPECT_EQ(texture.name, 0u);
}

TEST_F(TextureTest, OnlyTheLowerCasePvrExtensionTakesThePvrPath) {
    const std::string name = put(
        "upper", "PVR", PvrWriter::writeV3(PvrFixtures::v3(PvrFixtures::kRGBA8888, 0, 1, 1), {1, 2, 3, 4}));
    ZQ::TextureFile texture(name, "PVR", false, GL_LINEAR, GL_LINEAR);
    const std::string log = setUpLogged(texture);
    // The picture loader cannot read a PVR file.
    EXPECT_EQ(log.rfind("GLKTextureLoader: ", 0), 0u) << log;
    EXPECT_EQ(texture.name, 0u);
}

TEST_F(TextureTest, AnEmptyResourceNameDoesNothing) {
    ZQ::TextureFile texture("", "pvr", false, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(setUpLogged(texture), "");
    EXPECT_EQ(texture.name, 0u);
}

TEST_F(TextureTest, RawPixelsUploadOnceAndAreFreed) {
    const std::vector<uint8_t> pixels = PvrFixtures::ramp(4 * 3 * 4);
    auto* raw = static_cast<uint8_t*>(std::malloc(pixels.size()));
    std::memcpy(raw, pixels.data(), pixels.size());
    ZQ::TextureMetrics texture(4, 3, raw, {0.0, 1.5, 4.0}, false, GL_LINEAR, GL_NEAREST);
    texture.setUp();
    EXPECT_EQ(texture.rawData, nullptr);
    ASSERT_NE(texture.name, 0u);
    expectLeftUnbound();
    EXPECT_EQ(parameter(texture.name, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(texture.name, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(texture.metrics, (std::vector<double>{0.0, 1.5, 4.0}));
    TextureProbe probe;
    EXPECT_EQ(probe.read2D(texture.name, 4, 3), pixels);
}

TEST_F(TextureTest, ASecondRawSetUpIsAProgrammingError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ZQ::TextureRaw texture(1, 1, static_cast<uint8_t*>(std::calloc(4, 1)), false, GL_LINEAR,
                                   GL_LINEAR);
            texture.setUp();
            texture.setUp();
        },
        "rawData");
}

// The caption store deletes a texture's name itself and zeroes it before
// deleting the object: the destructor must then leave GL alone, even when GL
// has handed the same number to a newer texture.
TEST_F(TextureTest, DestroyingATextureWhoseNameWasDeletedTouchesNoOtherTexture) {
    auto* old =
        new ZQ::TextureRaw(1, 1, static_cast<uint8_t*>(std::calloc(4, 1)), false, GL_LINEAR, GL_LINEAR);
    old->setUp();
    glDeleteTextures(1, &old->name);
    old->name = 0;
    ZQ::TextureRaw newer(1, 1, static_cast<uint8_t*>(std::calloc(4, 1)), false, GL_LINEAR, GL_LINEAR);
    newer.setUp();
    delete old;
    EXPECT_EQ(glIsTexture(newer.name), GL_TRUE);
}

} // namespace
