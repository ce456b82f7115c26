#include "GLRecorder.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

GLRecorder* gActive = nullptr;

// The driver's entry point of that name, looked up past this binary.
template <class Function> Function next(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::abort();
    }
    Function function;
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

std::vector<double> floats(GLint location, GLsizei values, const GLfloat* v) {
    std::vector<double> args{static_cast<double>(location)};
    for (GLsizei i = 0; i < values; ++i) {
        args.push_back(static_cast<double>(v[i]));
    }
    return args;
}

} // namespace

GLRecorder::GLRecorder() {
    gActive = this;
}

GLRecorder::~GLRecorder() {
    gActive = nullptr;
}

std::vector<std::string> GLRecorder::names() const {
    std::vector<std::string> out;
    for (const Call& call : recorded) {
        out.push_back(call.name);
    }
    return out;
}

int GLRecorder::count(const std::string& name) const {
    int n = 0;
    for (const Call& call : recorded) {
        n += call.name == name ? 1 : 0;
    }
    return n;
}

std::vector<GLRecorder::Call> GLRecorder::all(const std::string& name) const {
    std::vector<Call> out;
    for (const Call& call : recorded) {
        if (call.name == name) {
            out.push_back(call);
        }
    }
    return out;
}

std::vector<std::vector<double>> GLRecorder::uniformValues(GLint location) const {
    std::vector<std::vector<double>> out;
    for (const Call& call : recorded) {
        if (call.name.rfind("glUniform", 0) == 0 && !call.args.empty() &&
            call.args[0] == static_cast<double>(location)) {
            out.emplace_back(call.args.begin() + 1, call.args.end());
        }
    }
    return out;
}

void recordGLCall(const char* name, std::vector<double> args) {
    if (gActive != nullptr) {
        gActive->recorded.push_back({name, std::move(args)});
    }
}

// The interposed entry points. Each records, then calls the driver's.
#define VELMORA_FORWARD(name, type, ...)                                                                     \
    static const auto real = next<type>(#name);                                                              \
    real(__VA_ARGS__)

extern "C" {

void glBindBuffer(GLenum target, GLuint buffer) {
    recordGLCall("glBindBuffer", {static_cast<double>(target), static_cast<double>(buffer)});
    VELMORA_FORWARD(glBindBuffer, void (*)(GLenum, GLuint), target, buffer);
}

void glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
    recordGLCall("glBufferData",
                 {static_cast<double>(target), static_cast<double>(size), static_cast<double>(usage)});
    VELMORA_FORWARD(glBufferData, void (*)(GLenum, GLsizeiptr, const void*, GLenum), target, size, data,
                    usage);
}

void glUseProgram(GLuint program) {
    recordGLCall("glUseProgram", {static_cast<double>(program)});
    VELMORA_FORWARD(glUseProgram, void (*)(GLuint), program);
}

void glEnableVertexAttribArray(GLuint index) {
    recordGLCall("glEnableVertexAttribArray", {static_cast<double>(index)});
    VELMORA_FORWARD(glEnableVertexAttribArray, void (*)(GLuint), index);
}

void glDisableVertexAttribArray(GLuint index) {
    recordGLCall("glDisableVertexAttribArray", {static_cast<double>(index)});
    VELMORA_FORWARD(glDisableVertexAttribArray, void (*)(GLuint), index);
}

void glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                           const void* pointer) {
    recordGLCall("glVertexAttribPointer",
                 {static_cast<double>(index), static_cast<double>(size), static_cast<double>(stride),
                  static_cast<double>(reinterpret_cast<std::uintptr_t>(pointer))});
    VELMORA_FORWARD(glVertexAttribPointer, void (*)(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*),
                    index, size, type, normalized, stride, pointer);
}

void glUniform1f(GLint location, GLfloat v0) {
    recordGLCall("glUniform1f", floats(location, 1, &v0));
    VELMORA_FORWARD(glUniform1f, void (*)(GLint, GLfloat), location, v0);
}

void glUniform3f(GLint location, GLfloat v0, GLfloat v1, GLfloat v2) {
    const GLfloat v[3] = {v0, v1, v2};
    recordGLCall("glUniform3f", floats(location, 3, v));
    VELMORA_FORWARD(glUniform3f, void (*)(GLint, GLfloat, GLfloat, GLfloat), location, v0, v1, v2);
}

void glUniform1fv(GLint location, GLsizei count, const GLfloat* value) {
    recordGLCall("glUniform1fv", floats(location, count, value));
    VELMORA_FORWARD(glUniform1fv, void (*)(GLint, GLsizei, const GLfloat*), location, count, value);
}

void glUniform3fv(GLint location, GLsizei count, const GLfloat* value) {
    recordGLCall("glUniform3fv", floats(location, 3 * count, value));
    VELMORA_FORWARD(glUniform3fv, void (*)(GLint, GLsizei, const GLfloat*), location, count, value);
}

void glUniform4fv(GLint location, GLsizei count, const GLfloat* value) {
    recordGLCall("glUniform4fv", floats(location, 4 * count, value));
    VELMORA_FORWARD(glUniform4fv, void (*)(GLint, GLsizei, const GLfloat*), location, count, value);
}

void glUniformMatrix3fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value) {
    recordGLCall("glUniformMatrix3fv", floats(location, 9 * count, value));
    VELMORA_FORWARD(glUniformMatrix3fv, void (*)(GLint, GLsizei, GLboolean, const GLfloat*), location, count,
                    transpose, value);
}

void glUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value) {
    recordGLCall("glUniformMatrix4fv", floats(location, 16 * count, value));
    VELMORA_FORWARD(glUniformMatrix4fv, void (*)(GLint, GLsizei, GLboolean, const GLfloat*), location, count,
                    transpose, value);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    recordGLCall("glDrawElements",
                 {static_cast<double>(mode), static_cast<double>(count), static_cast<double>(type)});
    VELMORA_FORWARD(glDrawElements, void (*)(GLenum, GLsizei, GLenum, const void*), mode, count, type,
                    indices);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    recordGLCall("glDrawArrays",
                 {static_cast<double>(mode), static_cast<double>(first), static_cast<double>(count)});
    VELMORA_FORWARD(glDrawArrays, void (*)(GLenum, GLint, GLsizei), mode, first, count);
}

void glEnable(GLenum cap) {
    recordGLCall("glEnable", {static_cast<double>(cap)});
    VELMORA_FORWARD(glEnable, void (*)(GLenum), cap);
}

void glDisable(GLenum cap) {
    recordGLCall("glDisable", {static_cast<double>(cap)});
    VELMORA_FORWARD(glDisable, void (*)(GLenum), cap);
}

void glDepthMask(GLboolean flag) {
    recordGLCall("glDepthMask", {static_cast<double>(flag)});
    VELMORA_FORWARD(glDepthMask, void (*)(GLboolean), flag);
}

void glDepthFunc(GLenum func) {
    recordGLCall("glDepthFunc", {static_cast<double>(func)});
    VELMORA_FORWARD(glDepthFunc, void (*)(GLenum), func);
}

void glLineWidth(GLfloat width) {
    recordGLCall("glLineWidth", {static_cast<double>(width)});
    VELMORA_FORWARD(glLineWidth, void (*)(GLfloat), width);
}

} // extern "C"
