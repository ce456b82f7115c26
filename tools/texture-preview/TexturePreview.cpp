// Writes sample textures through the game's PVR reader to PNG files:
//   texture-preview OUTPUT_FOLDER
// source.png is the picture every sample is made from; each other file is
// what GL holds after the reader loaded one encoding of it, drawn back at 1:1
// (pvrtc*-tiled.png: drawn twice across and down, to show the edges meet).
#include "OutputFolder.h"
#include "PngWriter.h"
#include "PvrWriter.h"
#include "PvrtcEncoder.h"
#include "ToolUsage.h"
#include "platform/ZQEGLContext.h"
#include "render/PVRTTexture.h"

#include <GLES2/gl2.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kEdge = 256;

const char* const kVertex = R"(
attribute vec2 corner;
uniform float repeats;
varying highp vec2 uv;
void main() {
    uv = (corner * 0.5 + 0.5) * repeats;
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

const char* const kFragment = R"(
precision highp float;
uniform sampler2D picture;
varying highp vec2 uv;
void main() {
    gl_FragColor = texture2D(picture, uv);
}
)";

// A picture with smooth colour, hard edges, thin lines and, below the
// diagonal, partial transparency: a hue sweep across, rings about the centre.
std::vector<uint8_t> samplePicture(bool translucent) {
    std::vector<uint8_t> rgba(std::size_t{kEdge} * kEdge * 4);
    for (uint32_t y = 0; y < kEdge; ++y) {
        for (uint32_t x = 0; x < kEdge; ++x) {
            const float u = static_cast<float>(x) / kEdge;
            const float v = static_cast<float>(y) / kEdge;
            const float dx = u - 0.5f;
            const float dy = v - 0.5f;
            const float ring = std::fmod(std::sqrt(dx * dx + dy * dy) * 8.0f, 1.0f) < 0.5f ? 1.0f : 0.6f;
            const float line = (x % 32 == 0 || y % 32 == 0) ? 0.2f : 1.0f;
            uint8_t* p = &rgba[(std::size_t{y} * kEdge + x) * 4];
            p[0] = static_cast<uint8_t>(255.0f * u * ring * line);
            p[1] = static_cast<uint8_t>(255.0f * v * ring * line);
            p[2] = static_cast<uint8_t>(255.0f * (1.0f - u) * ring * line);
            p[3] = translucent && x > y ? static_cast<uint8_t>(255.0f * (1.0f - 0.75f * v)) : 255;
        }
    }
    return rgba;
}

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Draws texture `name` into a width x height RGBA picture, `repeats` times
// across and down, and returns it top row first.
std::vector<uint8_t> drawBack(GLuint name, uint32_t width, uint32_t height, float repeats) {
    static const GLuint program = [] {
        const GLuint p = glCreateProgram();
        glAttachShader(p, compile(GL_VERTEX_SHADER, kVertex));
        glAttachShader(p, compile(GL_FRAGMENT_SHADER, kFragment));
        glBindAttribLocation(p, 0, "corner");
        glLinkProgram(p);
        return p;
    }();
    GLuint target = 0;
    GLuint framebuffer = 0;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);

    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "picture"), 0);
    glUniform1f(glGetUniformLocation(program, "repeats"), repeats);
    const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, corners);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    std::vector<uint8_t> rgba(std::size_t{width} * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &target);
    return rgba;
}

std::vector<uint8_t> convert(const std::vector<uint8_t>& rgba, int bytesPerPixel,
                             uint32_t (*pack)(const uint8_t*)) {
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        const uint32_t v = pack(&rgba[i]);
        for (int b = 0; b < bytesPerPixel; ++b) {
            out.push_back(static_cast<uint8_t>(v >> (8 * b)));
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status =
            ToolUsage::answerNames(argc, argv, 1, 1, "usage: texture-preview OUTPUT_FOLDER\n")) {
        return *status;
    }
    const std::string folder = argv[1];
    if (!OutputFolder::make("texture-preview", folder)) {
        return 1;
    }
    if (ZQEGLContext::sharedHeadless() == nullptr) {
        std::fprintf(stderr, "texture-preview: no GL: %s\n", ZQEGLContext::sharedFailure().c_str());
        return 1;
    }

    // Rows are stored top row first, so the PNGs show the pictures upright.
    const std::vector<uint8_t> opaque = samplePicture(false);
    const std::vector<uint8_t> translucent = samplePicture(true);
    if (!PngWriter::writePng(folder + "/source.png", kEdge, kEdge, translucent)) {
        std::fprintf(stderr, "texture-preview: cannot write %s/source.png\n", folder.c_str());
        return 1;
    }

    PvrWriter::V3Description d;
    d.width = kEdge;
    d.height = kEdge;
    struct Sample {
        std::string name;
        std::vector<uint8_t> file;
        float repeats;
    };
    std::vector<Sample> samples;
    d.pixelFormat = PvrWriter::kPVRTC4bppRGBA;
    samples.push_back(
        {"pvrtc4", PvrWriter::writeV3(d, PvrtcEncoder::encode(translucent, kEdge, kEdge, false)), 1});
    samples.push_back({"pvrtc4-tiled", samples.back().file, 2});
    d.pixelFormat = PvrWriter::kPVRTC2bppRGB;
    samples.push_back({"pvrtc2", PvrWriter::writeV3(d, PvrtcEncoder::encode(opaque, kEdge, kEdge, true)), 1});
    d.pixelFormat = PvrWriter::pixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0);
    d.channelType = PvrWriter::kUnsignedShortNorm;
    const auto rgb565 = [](const uint8_t* p) {
        return uint32_t(p[0] >> 3) << 11 | uint32_t(p[1] >> 2) << 5 | uint32_t(p[2] >> 3);
    };
    samples.push_back({"rgb565-big-endian",
                       PvrWriter::writeV3(d, convert(opaque, 2, rgb565), PvrWriter::ByteOrder::Big), 1});
    d.pixelFormat = PvrWriter::pixelFormat('r', 'g', 'b', 'a', 4, 4, 4, 4);
    const auto rgba4444 = [](const uint8_t* p) {
        return uint32_t(p[0] >> 4) << 12 | uint32_t(p[1] >> 4) << 8 | uint32_t(p[2] >> 4) << 4 |
               uint32_t(p[3] >> 4);
    };
    samples.push_back({"rgba4444", PvrWriter::writeV3(d, convert(translucent, 2, rgba4444)), 1});
    d.pixelFormat = PvrWriter::pixelFormat('l', 'a', 0, 0, 8, 8, 0, 0);
    d.channelType = PvrWriter::kUnsignedByteNorm;
    const auto la88 = [](const uint8_t* p) {
        return uint32_t((2 * p[0] + 5 * p[1] + p[2]) / 8) | uint32_t(p[3]) << 8;
    };
    samples.push_back({"la88", PvrWriter::writeV3(d, convert(translucent, 2, la88)), 1});
    PvrWriter::LegacyDescription legacy;
    legacy.headerSize = 44;
    legacy.width = kEdge;
    legacy.height = kEdge;
    samples.push_back({"legacy44-rgba8888", PvrWriter::writeLegacy(legacy, translucent), 1});

    for (const Sample& s : samples) {
        GLuint name = 0;
        if (!ZQ::PVRTTextureLoadFromPointer(s.file.data(), s.file.size(), &name)) {
            std::fprintf(stderr, "texture-preview: %s did not load\n", s.name.c_str());
            return 1;
        }
        const uint32_t edge = static_cast<uint32_t>(kEdge * s.repeats);
        const std::string path = folder + "/" + s.name + ".png";
        // GL reads back bottom row first; the texture's first row is the top.
        const bool written =
            PngWriter::writePng(path, edge, edge, drawBack(name, edge, edge, s.repeats), false);
        glDeleteTextures(1, &name);
        if (!written) {
            std::fprintf(stderr, "texture-preview: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
