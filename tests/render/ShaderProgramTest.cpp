#include "render/ShaderProgram.h"
#include "render/ShaderNames.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using ZQ::ShaderProgram;
using ZQ::ShadowSwitches;
namespace Names = ZQ::ShaderNames;

constexpr ShadowSwitches kNoShadows{false, false};
constexpr ShadowSwitches kBothShadows{true, true};

// Draws a full-screen quad; the fragment colour tells which shadow defines
// reached the compiler.
const char* const kQuadVertex = R"(
attribute vec2 a_position;
uniform mat4 u_modelViewProjectionMatrix;
void main() {
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 0.0, 1.0);
}
)";

const char* const kDefinesFragment = R"(
uniform highpfloat u_alpha;
void main() {
    highpvec4 colour = vec4(0.0, 0.0, 0.0, u_alpha);
#ifdef SHADOW_CORD_ON
    colour.r = 1.0;
#endif
#ifdef SHADOW_ROOM_ON
    colour.g = 1.0;
#endif
    gl_FragColor = colour;
}
)";

class ShaderProgramTest : public HeadlessGLTest {
protected:
    // Draws with `shader` into a 4 x 4 framebuffer and returns the centre pixel.
    std::array<uint8_t, 4> drawQuad(const ShaderProgram& shader) {
        GLuint texture = 0;
        GLuint framebuffer = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glViewport(0, 0, 4, 4);
        glClearColor(0.0f, 0.0f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);

        const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
        glUseProgram(shader.program);
        glUniformMatrix4fv(shader.uniform(Names::u_modelViewProjectionMatrix), 1, GL_FALSE, identity);
        glUniform1f(shader.uniform(Names::u_alpha), 1.0f);
        const GLint position = shader.attribute(Names::a_position);
        glEnableVertexAttribArray(static_cast<GLuint>(position));
        glVertexAttribPointer(static_cast<GLuint>(position), 2, GL_FLOAT, GL_FALSE, 0, corners);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableVertexAttribArray(static_cast<GLuint>(position));
        glUseProgram(0);

        const std::array<uint8_t, 4> pixel = HeadlessGL::readPixel(2, 2);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &texture);
        return pixel;
    }

    std::array<uint8_t, 4> drawWithShadows(ShadowSwitches shadows) {
        ShaderProgram shader("DefinesProgram", true);
        shader.build(kQuadVertex, kDefinesFragment, shadows);
        EXPECT_TRUE(shader.linked);
        shader.registerUniform(Names::u_modelViewProjectionMatrix);
        shader.registerUniform(Names::u_alpha);
        shader.registerAttribute(Names::a_position);
        return drawQuad(shader);
    }
};

TEST(ShaderSourceTest, SharedPiecesHaveTheirFixedLengths) {
    EXPECT_EQ(std::strlen(ShaderProgram::shadowCordDefine), 28u);
    EXPECT_EQ(std::strlen(ShaderProgram::shadowRoomDefine), 28u);
    EXPECT_STREQ(ShaderProgram::vertexHeader, "\n\n");
    EXPECT_EQ(std::strlen(ShaderProgram::fragmentHeader), 365u);
    EXPECT_NE(std::strstr(ShaderProgram::shadowCordDefine, "#define SHADOW_CORD_ON"), nullptr);
    EXPECT_NE(std::strstr(ShaderProgram::shadowRoomDefine, "#define SHADOW_ROOM_ON"), nullptr);
}

TEST(ShaderSourceTest, DefinesPrecedeTheHeaderWhichPrecedesTheSource) {
    const std::string cord = ShaderProgram::shadowCordDefine;
    const std::string room = ShaderProgram::shadowRoomDefine;
    const std::string vertex = ShaderProgram::vertexHeader;
    const std::string fragment = ShaderProgram::fragmentHeader;

    EXPECT_EQ(ShaderProgram::composeSource(GL_VERTEX_SHADER, "S", true, kBothShadows),
              cord + room + vertex + "S");
    EXPECT_EQ(ShaderProgram::composeSource(GL_FRAGMENT_SHADER, "S", true, kBothShadows),
              cord + room + fragment + "S");
    EXPECT_EQ(ShaderProgram::composeSource(GL_FRAGMENT_SHADER, "S", true, {false, true}),
              room + fragment + "S");
    EXPECT_EQ(ShaderProgram::composeSource(GL_VERTEX_SHADER, "S", true, {true, false}), cord + vertex + "S");
    EXPECT_EQ(ShaderProgram::composeSource(GL_FRAGMENT_SHADER, "S", true, kNoShadows), fragment + "S");
    // Without the header a source is compiled as written, after the defines.
    EXPECT_EQ(ShaderProgram::composeSource(GL_FRAGMENT_SHADER, "S", false, kBothShadows), cord + room + "S");
    EXPECT_EQ(ShaderProgram::composeSource(GL_VERTEX_SHADER, "S", false, kNoShadows), "S");
}

TEST_F(ShaderProgramTest, ShadowDefinesReachTheCompiler) {
    const auto none = drawWithShadows(kNoShadows);
    EXPECT_EQ(none[0], 0);
    EXPECT_EQ(none[1], 0);
    const auto cord = drawWithShadows({true, false});
    EXPECT_EQ(cord[0], 255);
    EXPECT_EQ(cord[1], 0);
    const auto both = drawWithShadows(kBothShadows);
    EXPECT_EQ(both[0], 255);
    EXPECT_EQ(both[1], 255);
    EXPECT_EQ(both[3], 255);
}

TEST_F(ShaderProgramTest, HeaderlessProgramMayOpenWithAnExtensionDirective) {
    // Only preprocessor lines (the defines) may come before #extension.
    const char* fragment = R"(#extension GL_OES_standard_derivatives : enable
precision mediump float;
uniform float u_alpha;
void main() {
    gl_FragColor = vec4(1.0, 1.0, 1.0, u_alpha + dFdx(0.0));
}
)";
    const char* vertex = R"(precision highp float;
attribute vec2 a_position;
uniform mat4 u_modelViewProjectionMatrix;
void main() { gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 0.0, 1.0); }
)";
    ShaderProgram shader("HeaderlessProgram", false);
    shader.build(vertex, fragment, kBothShadows);
    ASSERT_TRUE(shader.linked);
    shader.registerUniform(Names::u_modelViewProjectionMatrix);
    shader.registerUniform(Names::u_alpha);
    shader.registerAttribute(Names::a_position);
    const auto pixel = drawQuad(shader);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[3], 255);
}

TEST_F(ShaderProgramTest, ACompileFailureIsLoggedAndLeavesNoProgram) {
    ShaderProgram shader("BrokenProgram", true);
    testing::internal::CaptureStderr();
    shader.build(kQuadVertex, "void main() { gl_FragColor = undefinedThing; }\n", kNoShadows);
    shader.registerUniform(Names::u_alpha);
    shader.registerAttribute(Names::a_position);
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_NE(log.find("Could not compile shader 35632:"), std::string::npos) << log;
    EXPECT_EQ(shader.program, 0u);
    EXPECT_FALSE(shader.linked);
    EXPECT_NE(log.find("Uniform u_alpha not found in program  BrokenProgram = 0"), std::string::npos) << log;
    EXPECT_NE(log.find("Attribute a_position  not found in program  BrokenProgram = 0"), std::string::npos)
        << log;
    EXPECT_EQ(shader.uniform(Names::u_alpha), -1);
    EXPECT_EQ(shader.attribute(Names::a_position), -1);
}

TEST_F(ShaderProgramTest, AVertexCompileFailureNamesTheVertexType) {
    ShaderProgram shader("BrokenVertex", false);
    testing::internal::CaptureStderr();
    const GLuint compiled =
        shader.compileShader(GL_VERTEX_SHADER, "void main() { gl_Position = nothing; }\n", kNoShadows);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(compiled, 0u);
    EXPECT_NE(log.find("Could not compile shader 35633:"), std::string::npos) << log;
}

TEST_F(ShaderProgramTest, ALinkFailureIsLoggedAndLeavesNoProgram) {
    // Each shader compiles alone; the varying types disagree only at link time.
    const char* vertex = "attribute vec2 a_position;\nvarying vec2 v_value;\n"
                         "void main() { v_value = a_position; gl_Position = vec4(a_position, 0.0, 1.0); }\n";
    const char* fragment = "varying vec3 v_value;\nvoid main() { gl_FragColor = vec4(v_value, 1.0); }\n";
    ShaderProgram shader("UnlinkedProgram", true);
    testing::internal::CaptureStderr();
    shader.build(vertex, fragment, kNoShadows);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Could not link program"), std::string::npos) << log;
    EXPECT_EQ(shader.program, 0u);
    EXPECT_FALSE(shader.linked);
}

TEST_F(ShaderProgramTest, AnOptimisedAwayUniformIsReportedAndIgnored) {
    const char* fragment = "uniform float u_alpha;\nvoid main() { gl_FragColor = vec4(1.0); }\n";
    ShaderProgram shader("UnusedUniform", true);
    shader.build(kQuadVertex, fragment, kNoShadows);
    ASSERT_TRUE(shader.linked);
    testing::internal::CaptureStderr();
    shader.registerUniform(Names::u_modelViewProjectionMatrix);
    shader.registerUniform(Names::u_alpha);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("u_modelViewProjectionMatrix"), std::string::npos) << log;
    EXPECT_NE(
        log.find("Uniform u_alpha not found in program  UnusedUniform = " + std::to_string(shader.program)),
        std::string::npos)
        << log;
    EXPECT_GE(shader.uniform(Names::u_modelViewProjectionMatrix), 0);
    EXPECT_EQ(shader.uniform(Names::u_alpha), -1);
    // An upload to -1 is silently dropped by GL.
    glUseProgram(shader.program);
    glUniform1f(shader.uniform(Names::u_alpha), 0.5f);
    glUseProgram(0);
}

TEST_F(ShaderProgramTest, DestructionDeletesTheGLProgram) {
    GLuint program = 0;
    {
        ShaderProgram shader("ShortLived", true);
        shader.build(kQuadVertex, kDefinesFragment, kNoShadows);
        program = shader.program;
        ASSERT_NE(program, 0u);
        EXPECT_EQ(glIsProgram(program), GL_TRUE);
    }
    EXPECT_EQ(glIsProgram(program), GL_FALSE);
}

TEST(ShaderLookupTest, NamesAreKeyedByAddressNotText) {
    // The child re-runs only this test: no GL driver threads are forked.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ShaderProgram shader("LookupProgram", true);
    shader.uniformLocations[Names::u_alpha] = 7;
    shader.attributeLocations[Names::a_position] = 3;
    EXPECT_EQ(shader.uniform(Names::u_alpha), 7);
    EXPECT_EQ(shader.attribute(Names::a_position), 3);

    // The same letters at another address are another key.
    static const char copy[] = "u_alpha";
    ASSERT_STREQ(copy, Names::u_alpha);
    EXPECT_DEATH(shader.uniform(copy), "unordered_map::at: key not found");
    EXPECT_DEATH(shader.attribute(Names::a_normal), "unordered_map::at: key not found");
}

} // namespace
