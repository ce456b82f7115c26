#include "SheetCanvas.h"

#include <algorithm>
#include <cstdio>

namespace VelmoraBundle {

namespace {

const char* const kVertex = R"(
attribute vec2 corner;
uniform vec4 rect;
uniform float repeats;
varying highp vec2 uv;
void main() {
    uv = corner * repeats;
    gl_Position = vec4(mix(rect.xy, rect.zw, corner), 0.0, 1.0);
}
)";

// Mode 0 picture, 1 normal map, 2 relief, 3 solid colour. The relief is lit
// with the tile shader's own formula and button material (gold, dodger-blue
// highlight, shininess 34) and its light; the normal map with the cord
// shader's warm-to-cool blend of one cord material.
const char* const kFragment = R"(
precision highp float;
uniform sampler2D picture;
uniform int mode;
uniform vec4 colour;
varying highp vec2 uv;
void main() {
    vec4 q = texture2D(picture, uv);
    if (mode == 0) {
        gl_FragColor = q;
    } else if (mode == 1) {
        vec3 n = normalize(vec3(0.0, 0.0, 1.0) + normalize(q.rgb * 2.0 - 1.0));
        vec3 l = normalize(vec3(-0.5, 0.6, 0.7));
        vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));
        vec3 warm = vec3(0.93, 0.62, 0.32);
        vec3 cool = vec3(0.16, 0.22, 0.45);
        float s = pow(clamp(dot(h, n), 0.0, 1.0), 24.0);
        vec3 c = 0.5 * vec3(0.1) + mix(cool, warm, (dot(l, n) + 1.0) * 0.5) + 0.3 * s * vec3(1.0);
        gl_FragColor = vec4(c, 1.0);
    } else if (mode == 2) {
        vec3 relief = q.a * (q.rgb * 2.0 - 1.0);
        vec3 n = normalize(vec3(0.0, 0.0, 1.0) + relief);
        vec3 l = normalize(vec3(1.5, 1.5, 1.0));
        vec3 v = normalize(vec3(0.0, 0.5, 1.5));
        float e = clamp(dot(n, normalize(l + v)), 0.0, 1.0);
        vec3 gold = vec3(1.0, 0.8431, 0.0);
        vec3 blue = vec3(0.1176, 0.5647, 1.0);
        gl_FragColor = vec4(gold * e + blue * pow(e, 34.0) * e, 1.0);
    } else {
        gl_FragColor = colour;
    }
}
)";

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        char log[1024];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "bundle-sheet: shader: %s\n", log);
    }
    return shader;
}

} // namespace

SheetCanvas::SheetCanvas(int width, int height) : sheetWidth(width), sheetHeight(height) {
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glViewport(0, 0, width, height);
    glClearColor(0.16f, 0.16f, 0.18f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, kVertex));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, kFragment));
    glBindAttribLocation(program, 0, "corner");
    glLinkProgram(program);
}

SheetCanvas::~SheetCanvas() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteProgram(program);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &depth);
    glDeleteTextures(1, &colour);
}

void SheetCanvas::bindCell(int x, int y, int width, int height) const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(x, sheetHeight - y - height, width, height);
}

void SheetCanvas::quad(int x, int y, int width, int height, int mode, float repeats, const float* rgba) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, sheetWidth, sheetHeight);
    glUseProgram(program);
    // Pixels from the top-left to clip space, whose y runs up.
    const float x0 = 2.0f * static_cast<float>(x) / static_cast<float>(sheetWidth) - 1.0f;
    const float x1 = 2.0f * static_cast<float>(x + width) / static_cast<float>(sheetWidth) - 1.0f;
    const float y0 = 1.0f - 2.0f * static_cast<float>(y + height) / static_cast<float>(sheetHeight);
    const float y1 = 1.0f - 2.0f * static_cast<float>(y) / static_cast<float>(sheetHeight);
    glUniform4f(glGetUniformLocation(program, "rect"), x0, y0, x1, y1);
    glUniform1f(glGetUniformLocation(program, "repeats"), repeats);
    glUniform1i(glGetUniformLocation(program, "mode"), mode);
    glUniform1i(glGetUniformLocation(program, "picture"), 0);
    if (rgba != nullptr) {
        glUniform4fv(glGetUniformLocation(program, "colour"), 1, rgba);
    }
    const float corners[] = {0, 0, 1, 0, 0, 1, 1, 1};
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, corners);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisable(GL_BLEND);
    glDisableVertexAttribArray(0);
    glUseProgram(0);
}

void SheetCanvas::band(int x, int y, int width, int height) {
    const float dark[] = {0.07f, 0.07f, 0.10f, 1.0f};
    const float light[] = {0.72f, 0.72f, 0.70f, 1.0f};
    quad(x, y, width / 2, height, 3, 1.0f, dark);
    quad(x + width / 2, y, width - width / 2, height, 3, 1.0f, light);
}

void SheetCanvas::draw(const Item& item) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, item.texture);
    const int mode = item.shading == Shading::Picture ? 0 : item.shading == Shading::NormalMap ? 1 : 2;
    quad(item.x, item.y, item.width, item.height, mode, item.repeats, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
}

std::vector<uint8_t> SheetCanvas::read() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    std::vector<uint8_t> bottomUp(std::size_t(sheetWidth) * sheetHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, sheetWidth, sheetHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> rgba(bottomUp.size());
    const std::size_t row = std::size_t(sheetWidth) * 4;
    for (int y = 0; y < sheetHeight; ++y) {
        std::copy_n(&bottomUp[std::size_t(sheetHeight - 1 - y) * row], row, &rgba[std::size_t(y) * row]);
    }
    return rgba;
}

} // namespace VelmoraBundle
