#include "render/RenderProgram.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

using ZQ::RenderProgram;
namespace Names = ZQ::ShaderNames;

constexpr char kMaterials[] = "u_materials";
constexpr char kDiffuse[] = "diffuse";

const char* const kVertex = R"(
attribute vec3 a_position;
attribute vec3 a_normal;
uniform mat4 u_modelViewProjectionMatrix;
varying vec3 v_normal;
void main() {
    v_normal = a_normal;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
)";

const char* const kFragment = R"(
struct Material { vec3 diffuse; };
uniform Material u_materials[3];
uniform float u_alpha;
varying vec3 v_normal;
void main() {
    gl_FragColor = vec4(u_materials[0].diffuse + u_materials[1].diffuse + u_materials[2].diffuse + v_normal,
                        u_alpha);
}
)";

// A program as the passes write them, with an array of material records.
class ProbeProgram : public RenderProgram {
public:
    void setUp() override {
        setUpShader("ProbeProgram", true, kVertex, kFragment,
                    {Names::u_modelViewProjectionMatrix, Names::u_alpha},
                    {Names::a_position, Names::a_normal});
        materials.build(kMaterials, kDiffuse, 3);
        registerElements(materials);
    }
    ZQ::ElementNames materials;
};

PVRTVec3 toNdc(const PVRTMat4& m, PVRTVec3 p) {
    const PVRTVec4 clip = m * PVRTVec4(p, 1.0f);
    return PVRTVec3(clip.x / clip.w, clip.y / clip.w, clip.z / clip.w);
}

class RenderProgramTest : public HeadlessGLTest {};

TEST_F(RenderProgramTest, SetUpFillsTheDefaultCamera) {
    ProbeProgram program;
    EXPECT_EQ(program.projectionMatrix, PVRTMat4{}) << "a program starts zero-filled";
    program.setUp();
    const float w = 750.0f;
    const float h = 1334.0f;
    const float t = std::tan(ZQ::gFieldOfView / 2.0f);

    EXPECT_EQ(program.viewMatrix, PVRTMat4::translation(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(program.centringMatrix, PVRTMat4::translation(-w / 2.0f, -h / 2.0f, -h));
    const PVRTMat4& p = program.projectionMatrix;
    EXPECT_FLOAT_EQ(p.f[0], h / (w * t));
    EXPECT_FLOAT_EQ(p.f[5], 1.0f / t);
    EXPECT_FLOAT_EQ(p.f[10], (3.0f * h + 1.5f) / (1.5f - 3.0f * h));
    EXPECT_FLOAT_EQ(p.f[11], -1.0f);
    EXPECT_FLOAT_EQ(p.f[14], 9.0f * h / (1.5f - 3.0f * h));
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) {
        EXPECT_EQ(p.f[i], 0.0f) << "element " << i;
    }
    EXPECT_EQ(program.cameraMatrix, program.projectionMatrix * program.viewMatrix * program.centringMatrix);

    // The eye sits at (W/2, H/2, H + 1): the screen centre is straight ahead,
    // the near plane 1.5 and the far plane 3H in front of it.
    const PVRTVec3 centre = toNdc(program.cameraMatrix, {w / 2.0f, h / 2.0f, 0.0f});
    EXPECT_NEAR(centre.x, 0.0f, 1e-6f);
    EXPECT_NEAR(centre.y, 0.0f, 1e-6f);
    EXPECT_NEAR(toNdc(program.cameraMatrix, {w / 2.0f, h / 2.0f, h - 0.5f}).z, -1.0f, 1e-4f);
    EXPECT_NEAR(toNdc(program.cameraMatrix, {w / 2.0f, h / 2.0f, 1.0f - 2.0f * h}).z, 1.0f, 1e-4f);
    // The right edge of the screen is further right than the centre, the top higher.
    EXPECT_GT(toNdc(program.cameraMatrix, {w, h / 2.0f, 0.0f}).x, 0.0f);
    EXPECT_GT(toNdc(program.cameraMatrix, {w / 2.0f, h, 0.0f}).y, 0.0f);
    program.tearDown();
}

TEST_F(RenderProgramTest, SetUpRegistersEveryNameAndTearDownDeletesTheProgram) {
    ProbeProgram program;
    testing::internal::CaptureStderr();
    program.setUp();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "") << "every name is used by the shaders";

    ASSERT_NE(program.shader, nullptr);
    ASSERT_TRUE(program.shader->linked);
    EXPECT_EQ(program.shader->name, "ProbeProgram");
    EXPECT_GE(program.shader->uniform(Names::u_modelViewProjectionMatrix), 0);
    EXPECT_GE(program.shader->uniform(Names::u_alpha), 0);
    EXPECT_GE(program.shader->attribute(Names::a_position), 0);
    EXPECT_GE(program.shader->attribute(Names::a_normal), 0);

    // Element names are looked up through the program's own copies.
    ASSERT_EQ(program.materials.size(), 3);
    EXPECT_STREQ(program.materials[2], "u_materials[2].diffuse");
    GLint previous = -1;
    for (int i = 0; i < 3; ++i) {
        const GLint location = program.shader->uniform(program.materials[i]);
        EXPECT_GE(location, 0);
        EXPECT_NE(location, previous);
        previous = location;
    }
    EXPECT_EQ(glGetUniformLocation(program.shader->program, "u_materials[1].diffuse"),
              program.shader->uniform(program.materials[1]));

    const GLuint gl = program.shader->program;
    program.tearDown();
    EXPECT_EQ(program.shader, nullptr);
    EXPECT_EQ(glIsProgram(gl), GL_FALSE);
}

TEST_F(RenderProgramTest, TheProjectionFollowsTheScreenSize) {
    ZQ::gGlobals.setScreenSize(2048.0f, 1536.0f);
    ProbeProgram program;
    program.setUp();
    const float t = std::tan(ZQ::gFieldOfView / 2.0f);
    EXPECT_FLOAT_EQ(program.projectionMatrix.f[0], 1536.0f / (2048.0f * t));
    EXPECT_EQ(program.centringMatrix, PVRTMat4::translation(-1024.0f, -768.0f, -1536.0f));
    program.tearDown();
}

TEST(RenderProgramMatrixTest, SetModelMatrixOnlyStoresTheMatrix) {
    ProbeProgram program;
    const PVRTMat4 model = PVRTMat4::translation(1.0f, 2.0f, 3.0f) * PVRTMat4::scale(2.0f, 2.0f, 2.0f);
    program.setModelMatrix(model.f);
    EXPECT_EQ(program.modelMatrix, model);
    EXPECT_EQ(program.shader, nullptr) << "nothing is uploaded before set-up";
}

TEST(RenderProgramMatrixTest, NormalMatrixIsTheInverseTransposeOfTheLinearPart) {
    // A rotation of 90 degrees about z with a uniform scale of 2 and a
    // translation: the normal matrix is the rotation divided by 2.
    PVRTMat4 modelView = PVRTMat4::identity();
    modelView(0, 0) = 0.0f;
    modelView(0, 1) = -2.0f;
    modelView(1, 0) = 2.0f;
    modelView(1, 1) = 0.0f;
    modelView(2, 2) = 2.0f;
    modelView.f[12] = 5.0f;
    modelView.f[13] = -7.0f;
    float normal[9];
    RenderProgram::normalMatrix(normal, modelView);
    const float expected[9] = {0.0f, 0.5f, 0.0f, -0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(normal[i], expected[i], 1e-6f) << "element " << i;
    }

    // A non-uniform scale bends normals the other way: x is squashed by 1/4.
    RenderProgram::normalMatrix(normal, PVRTMat4::scale(4.0f, 1.0f, 1.0f));
    EXPECT_NEAR(normal[0], 0.25f, 1e-6f);
    EXPECT_NEAR(normal[4], 1.0f, 1e-6f);
}

TEST(RenderProgramMatrixTest, ASingularMatrixGivesTheIdentityNormalMatrix) {
    float normal[9];
    std::memset(normal, 0xff, sizeof normal); // NaN garbage
    RenderProgram::normalMatrix(normal, PVRTMat4::scale(0.0f, 0.0f, 0.0f));
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(normal[i], identity[i]) << "element " << i;
    }
}

} // namespace
