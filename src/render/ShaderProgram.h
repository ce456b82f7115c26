#pragma once

#include <GLES2/gl2.h>

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>

namespace ZQ {

// Which shadow code the shaders of this process compile in.
struct ShadowSwitches {
    bool cord = false; // SHADOW_CORD_ON
    bool room = false; // SHADOW_ROOM_ON
};

// The GL program behind one RenderProgram: composes each shader's source,
// compiles and links it, and keeps the attribute and uniform locations.
//
// Locations are keyed by the ADDRESS of the name string (ZQ::ShaderNames), not
// its text: lookups at draw time hash a pointer, and a name typed a second time
// elsewhere is a different, unregistered key. Failures are logged and leave
// program 0 (GL ignores uploads to location -1 and draws nothing with it);
// looking up a name that was never registered is a programming error.
//
// Owned by its RenderProgram between setUp and tearDown. Main thread only.
class ShaderProgram {
public:
    struct AddressHash {
        std::size_t operator()(const char* name) const noexcept { return std::hash<const void*>{}(name); }
    };
    // std::equal_to<const char*> compares the pointers, never the text.
    using LocationMap = std::unordered_map<const char*, GLint, AddressHash>;

    static const char* const shadowCordDefine;
    static const char* const shadowRoomDefine;
    static const char* const vertexHeader;
    static const char* const fragmentHeader;

    ShaderProgram(std::string name, bool header);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // The switches every program of this process compiles with: the device
    // profile's, both off when the player disabled shadows; read once.
    static ShadowSwitches processShadowSwitches();

    // The text handed to the compiler: the shadow defines (cord first), then the
    // header for the shader's type when `header` is set, then the source.
    static std::string composeSource(GLenum type, const char* source, bool header, ShadowSwitches shadows);

    // The compiled shader object, or 0 (logged unless the driver gave no log).
    GLuint compileShader(GLenum type, const char* source);
    GLuint compileShader(GLenum type, const char* source, ShadowSwitches shadows);

    // Compiles both shaders and links them into `program`; on failure program
    // stays 0 and linked false.
    void build(const char* vertexSource, const char* fragmentSource);
    void build(const char* vertexSource, const char* fragmentSource, ShadowSwitches shadows);

    // Set-up: looks the location up in the linked program (logging a missing
    // one) and stores it under the name's address whatever it is.
    void registerUniform(const char* name);
    void registerAttribute(const char* name);

    GLint uniform(const char* name) const;
    GLint attribute(const char* name) const;

    // glVertexAttribPointer for a float attribute.
    void setAttribPointer(const char* name, GLint size, GLboolean normalized, GLsizei stride,
                          const void* offset) const;

    LocationMap attributeLocations;
    LocationMap uniformLocations;
    GLuint program = 0;
    std::string name;
    bool linked = false;
    bool header = false;
};

} // namespace ZQ
