#pragma once

#include <GLES2/gl2.h>

#include <string>
#include <vector>

// Records the GL calls the code under test makes. The test binary defines
// the GL entry points the passes use; each one records its call while a
// GLRecorder is alive and always forwards to the driver's own entry point,
// so everything else in the binary runs as before.
class GLRecorder {
public:
    struct Call {
        std::string name;
        std::vector<double> args; // integer and float arguments, in order
    };

    GLRecorder();
    ~GLRecorder();
    GLRecorder(const GLRecorder&) = delete;
    GLRecorder& operator=(const GLRecorder&) = delete;

    const std::vector<Call>& calls() const { return recorded; }
    std::vector<std::string> names() const;
    int count(const std::string& name) const;
    // The calls with this name.
    std::vector<Call> all(const std::string& name) const;
    // The values uploaded to the location, in order (glUniform*).
    std::vector<std::vector<double>> uniformValues(GLint location) const;

private:
    friend void recordGLCall(const char* name, std::vector<double> args);
    std::vector<Call> recorded;
};

void recordGLCall(const char* name, std::vector<double> args);
