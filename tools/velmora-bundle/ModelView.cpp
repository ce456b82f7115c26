#include "ModelView.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace VelmoraBundle {

namespace {

const char* const kVertex = R"(
attribute vec3 a_position;
attribute vec3 a_normal;
uniform mat4 u_modelView;
uniform mat4 u_projection;
varying vec3 v_normal;
varying vec3 v_eye;
void main() {
    vec4 e = u_modelView * vec4(a_position, 1.0);
    v_normal = mat3(u_modelView) * a_normal;
    v_eye = -e.xyz;
    gl_Position = u_projection * e;
}
)";

// Gooch: the mesh pass's formula, the sun above, left and in front.
const char* const kFragment = R"(
precision highp float;
varying vec3 v_normal;
varying vec3 v_eye;
void main() {
    vec3 n = normalize(v_normal);
    vec3 l = normalize(vec3(-0.4, 0.8, 0.6) * 100.0 + v_eye);
    vec3 v = normalize(v_eye);
    vec3 h = normalize(l + v);
    float ndotl = dot(l, n);
    float s = pow(clamp(dot(h, n), 0.0, 1.0), 64.0);
    vec3 ambient = vec3(0.0, 0.0, 0.502);
    vec3 specular = vec3(0.2549, 0.4118, 0.8824);
    vec3 warm = vec3(0.0, 0.749, 1.0);
    vec3 cool = vec3(0.5294, 0.8078, 0.9804);
    vec3 c = 0.4 * ambient + 0.8 * mix(warm, cool, 0.5 * ndotl + 0.5) + 0.9 * s * specular;
    gl_FragColor = vec4(c, 1.0);
}
)";

using Matrix = std::array<float, 16>; // column-major

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + r] * b[c * 4 + k];
            }
            m[c * 4 + r] = sum;
        }
    }
    return m;
}

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        char log[1024];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "model view: shader: %s\n", log);
    }
    return shader;
}

} // namespace

ModelMesh meshOfPod(const SPODMesh& mesh) {
    ModelMesh out;
    for (uint32_t v = 0; v < mesh.numVertex; ++v) {
        float position[3];
        float normal[3];
        std::memcpy(position, &mesh.interleaved[mesh.vertex.offset + std::size_t(v) * mesh.vertex.stride],
                    12);
        std::memcpy(normal, &mesh.interleaved[mesh.normals.offset + std::size_t(v) * mesh.normals.stride],
                    12);
        out.vertices.insert(out.vertices.end(),
                            {position[0], position[1], position[2], normal[0], normal[1], normal[2]});
    }
    out.indices.resize(mesh.faces.data.size() / 2);
    std::memcpy(out.indices.data(), mesh.faces.data.data(), out.indices.size() * 2);
    return out;
}

ModelView::ModelView() {
    program = glCreateProgram();
    const GLuint vertex = compile(GL_VERTEX_SHADER, kVertex);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragment);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glBindAttribLocation(program, 0, "a_position");
    glBindAttribLocation(program, 1, "a_normal");
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &indexBuffer);
}

ModelView::~ModelView() {
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &indexBuffer);
    glDeleteProgram(program);
}

void ModelView::draw(const ModelMesh& mesh, float yaw, float pitch) {
    // Fit: the largest distance of a vertex from the origin becomes 1.
    float radius = 0.0f;
    for (std::size_t i = 0; i < mesh.vertices.size(); i += 6) {
        radius = std::max(radius, std::hypot(mesh.vertices[i], mesh.vertices[i + 1], mesh.vertices[i + 2]));
    }
    const float k = radius > 0.0f ? 1.0f / radius : 1.0f;
    const float cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    const Matrix scale{k, 0, 0, 0, 0, k, 0, 0, 0, 0, k, 0, 0, 0, 0, 1};
    const Matrix turn{cy, 0, -sy, 0, 0, 1, 0, 0, sy, 0, cy, 0, 0, 0, 0, 1};
    const Matrix tip{1, 0, 0, 0, 0, cp, sp, 0, 0, -sp, cp, 0, 0, 0, 0, 1};
    const Matrix back{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -3.2f, 1};
    const Matrix modelView = multiply(back, multiply(tip, multiply(turn, scale)));
    // A right-handed GL perspective: 40 degrees, near 1, far 10.
    const float f = 1.0f / std::tan(0.5f * 0.698f);
    const float n = 1.0f, fa = 10.0f;
    const Matrix projection{
        f, 0, 0, 0, 0, f, 0, 0, 0, 0, (fa + n) / (n - fa), -1, 0, 0, 2.0f * fa * n / (n - fa), 0};

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "u_modelView"), 1, GL_FALSE, modelView.data());
    glUniformMatrix4fv(glGetUniformLocation(program, "u_projection"), 1, GL_FALSE, projection.data());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(float)),
                 mesh.vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.indices.size() * sizeof(uint16_t)),
                 mesh.indices.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 24, nullptr);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<const void*>(12));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_SHORT, nullptr);
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glUseProgram(0);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
}

} // namespace VelmoraBundle
