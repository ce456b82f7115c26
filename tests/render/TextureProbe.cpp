#include "TextureProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const char* const kVertex = R"(
attribute vec2 corner;
varying highp vec2 uv;
void main() {
    uv = corner * 0.5 + 0.5;
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

const char* const kFragment2D = R"(
precision highp float;
uniform sampler2D picture;
varying highp vec2 uv;
void main() {
    gl_FragColor = texture2D(picture, uv);
}
)";

// The direction through texel (s, t) of each face, as GL picks a cube-map
// face: the major axis names the face, the other two give s and t.
const char* const kFragmentCube = R"(
precision highp float;
uniform samplerCube picture;
uniform int face;
varying highp vec2 uv;
void main() {
    float s = 2.0 * uv.x - 1.0;
    float t = 2.0 * uv.y - 1.0;
    vec3 d;
    if (face == 0) d = vec3(1.0, -t, -s);
    else if (face == 1) d = vec3(-1.0, -t, s);
    else if (face == 2) d = vec3(s, 1.0, t);
    else if (face == 3) d = vec3(s, -1.0, -t);
    else if (face == 4) d = vec3(s, -t, 1.0);
    else d = vec3(-s, -t, -1.0);
    gl_FragColor = textureCube(picture, d);
}
)";

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        ADD_FAILURE() << "probe shader: " << log;
    }
    return shader;
}

GLuint link(const char* fragment) {
    const GLuint program = glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, kVertex);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragment);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glBindAttribLocation(program, 0, "corner");
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

} // namespace

TextureProbe::TextureProbe() : program2D(link(kFragment2D)), programCube(link(kFragmentCube)) {
    const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenBuffers(1, &quad);
    glBindBuffer(GL_ARRAY_BUFFER, quad);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGenFramebuffers(1, &framebuffer);
    glGenTextures(1, &colour);
}

TextureProbe::~TextureProbe() {
    glDeleteProgram(program2D);
    glDeleteProgram(programCube);
    glDeleteBuffers(1, &quad);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &colour);
}

std::vector<uint8_t> TextureProbe::read2D(GLuint name, int width, int height, int level, bool mipmapped) {
    return draw(program2D, GL_TEXTURE_2D, name, width, height, level, mipmapped, 0);
}

std::vector<uint8_t> TextureProbe::readCubeFace(GLuint name, int size, int face, int level, bool mipmapped) {
    return draw(programCube, GL_TEXTURE_CUBE_MAP, name, size, size, level, mipmapped, face);
}

std::vector<uint8_t> TextureProbe::draw(GLuint program, GLenum target, GLuint name, int width, int height,
                                        int level, bool mipmapped, int face) {
    const int w = std::max(1, width >> level);
    const int h = std::max(1, height >> level);
    // Drawn at the level's own size the texture is minified by 2^level, which
    // picks that level with a nearest-mipmap filter.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindTexture(GL_TEXTURE_2D, 0);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(target, name);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glViewport(0, 0, w, h);
    glClearColor(0.5f, 0.25f, 0.75f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "picture"), 0);
    const GLint faceLocation = glGetUniformLocation(program, "face");
    if (faceLocation >= 0) {
        glUniform1i(faceLocation, face);
    }
    glBindBuffer(GL_ARRAY_BUFFER, quad);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    std::vector<uint8_t> rgba(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glUseProgram(0);
    glBindTexture(target, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return rgba;
}
