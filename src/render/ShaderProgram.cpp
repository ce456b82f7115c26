#include "render/ShaderProgram.h"

#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Log.h"
#include "engine/Preferences.h"

#include <cstdlib>
#include <utility>

namespace ZQ {

const char* const ShaderProgram::shadowCordDefine = "\n    #define SHADOW_CORD_ON\n";
const char* const ShaderProgram::shadowRoomDefine = "\n    #define SHADOW_ROOM_ON\n";
const char* const ShaderProgram::vertexHeader = "\n\n";
// Fragment shaders have no default float precision in GLSL ES; the highp*
// macros let a shader ask for the best precision the device has without
// failing to compile where highp is missing.
const char* const ShaderProgram::fragmentHeader = "\n\n\n\n\n"
                                                  "#if defined GL_FRAGMENT_PRECISION_HIGH\n"
                                                  "  precision highp float;\n"
                                                  "#define highpfloat float\n"
                                                  "#define highpvec2 vec2\n"
                                                  "#define highpvec3 vec3\n"
                                                  "#define highpvec4 vec4\n"
                                                  "#define highpsampler2D sampler2D\n"
                                                  "#else\n"
                                                  "  precision mediump float;\n"
                                                  "#define highpfloat float\n"
                                                  "#define highpvec2 vec2\n"
                                                  "#define highpvec3 vec3\n"
                                                  "#define highpvec4 vec4\n"
                                                  "#define highpsampler2D sampler2D\n"
                                                  "#endif\n"
                                                  "\n\n";

ShaderProgram::ShaderProgram(std::string name, bool header) : name(std::move(name)), header(header) {
    attributeLocations.max_load_factor(1.0f);
    uniformLocations.max_load_factor(1.0f);
}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(program);
}

ShadowSwitches ShaderProgram::processShadowSwitches() {
    static const ShadowSwitches switches = [] {
        const DeviceProfile& profile = DeviceProfile::get();
        const bool allowed = !Preferences::isShadowDisabled();
        return ShadowSwitches{profile.cordShadow && allowed, profile.roomShadow && allowed};
    }();
    return switches;
}

std::string ShaderProgram::composeSource(GLenum type, const char* source, bool header,
                                         ShadowSwitches shadows) {
    std::string text;
    if (shadows.cord) {
        text += shadowCordDefine;
    }
    if (shadows.room) {
        text += shadowRoomDefine;
    }
    if (header) {
        text += type == GL_VERTEX_SHADER ? vertexHeader : fragmentHeader;
    }
    text += source;
    return text;
}

GLuint ShaderProgram::compileShader(GLenum type, const char* source) {
    return compileShader(type, source, processShadowSwitches());
}

GLuint ShaderProgram::compileShader(GLenum type, const char* source, ShadowSwitches shadows) {
    const GLuint shader = glCreateShader(type);
    if (shader == 0) {
        return 0;
    }
    const std::string text = composeSource(type, source, header, shadows);
    const char* texts[] = {text.c_str()};
    glShaderSource(shader, 1, texts, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_FALSE) {
        return shader;
    }
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length > 0) {
        if (char* log = static_cast<char*>(std::malloc(static_cast<std::size_t>(length)))) {
            glGetShaderInfoLog(shader, length, nullptr, log);
            platformLog("Could not compile shader %d:\n%s\n", static_cast<int>(type), log);
            std::free(log);
        }
    }
    glDeleteShader(shader);
    return 0;
}

void ShaderProgram::build(const char* vertexSource, const char* fragmentSource) {
    build(vertexSource, fragmentSource, processShadowSwitches());
}

void ShaderProgram::build(const char* vertexSource, const char* fragmentSource, ShadowSwitches shadows) {
    const GLuint vertexShader = compileShader(GL_VERTEX_SHADER, vertexSource, shadows);
    if (vertexShader == 0) {
        return;
    }
    const GLuint fragmentShader = compileShader(GL_FRAGMENT_SHADER, fragmentSource, shadows);
    if (fragmentShader == 0) {
        // Nothing will ever link against it.
        glDeleteShader(vertexShader);
        return;
    }
    program = glCreateProgram();
    if (program == 0) {
        glDeleteShader(vertexShader);
        glDeleteShader(fragmentShader);
        return;
    }
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    // Attached shaders live as long as the program; flagging them now lets
    // glDeleteProgram free them too.
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    linked = status == GL_TRUE;
    if (linked) {
        return;
    }
    platformLog("Could not link program");
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length > 0) {
        if (char* log = static_cast<char*>(std::malloc(static_cast<std::size_t>(length)))) {
            glGetProgramInfoLog(program, length, nullptr, log);
            platformLog("Could not link program:\n%s\n", log);
            std::free(log);
        }
    }
    glDeleteProgram(program);
    program = 0;
    linked = false;
}

void ShaderProgram::registerUniform(const char* uniformName) {
    // With no program, GL would only raise GL_INVALID_VALUE; -1 is what it means.
    const GLint location = program != 0 ? glGetUniformLocation(program, uniformName) : -1;
    if (location == -1) {
        platformLog("Uniform %s not found in program  %s = %d", uniformName, name.c_str(),
                    static_cast<int>(program));
    }
    uniformLocations[uniformName] = location;
}

void ShaderProgram::registerAttribute(const char* attributeName) {
    const GLint location = program != 0 ? glGetAttribLocation(program, attributeName) : -1;
    if (location == -1) {
        platformLog("Attribute %s  not found in program  %s = %d", attributeName, name.c_str(),
                    static_cast<int>(program));
    }
    attributeLocations[attributeName] = location;
}

namespace {

GLint lookUp(const ShaderProgram::LocationMap& map, const char* key, const std::string& program) {
    const auto found = map.find(key);
    if (found == map.end()) {
        platformLog("%s is not registered in %s (names are looked up through their ShaderNames constant)",
                    key, program.c_str());
        assertionFailed("unordered_map::at: key not found", __func__, __FILE__, __LINE__);
    }
    return found->second;
}

} // namespace

GLint ShaderProgram::uniform(const char* uniformName) const {
    return lookUp(uniformLocations, uniformName, name);
}

GLint ShaderProgram::attribute(const char* attributeName) const {
    return lookUp(attributeLocations, attributeName, name);
}

void ShaderProgram::setAttribPointer(const char* attributeName, GLint size, GLboolean normalized,
                                     GLsizei stride, const void* offset) const {
    const GLint location = attribute(attributeName);
    // A missing attribute (-1) has no array to point; GL would reject it.
    if (location >= 0) {
        glVertexAttribPointer(static_cast<GLuint>(location), size, GL_FLOAT, normalized, stride, offset);
    }
}

} // namespace ZQ
