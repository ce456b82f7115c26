#include "GLRecorder.h"
#include "cords/CordMeshWorker.h"
#include "cords/TangleMesh.h"
#include "render/KnotGoochProgram.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "render/TangleProgram.h"
#include "render/WallPaperProgram.h"
#include "render/WallPaperRoomProgram.h"
#include "stage/MandalaMesher.h"
#include "stage/RoomModel.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

using namespace ZQ::ShaderNames;

// One attribute and the vertex field its array must read.
struct ArrayField {
    const char* name;
    std::size_t bytes;
    std::size_t offset;
};

// The attribute calls of the programs' use and unuse, taken from the vertex
// structs the meshes write: a program pointing an attribute at another
// field, or leaving an array enabled for the next program's draw, fails.
class AttributeArraysTest : public HeadlessGLTest {
protected:
    // An array buffer bound, as the passes bind theirs before use.
    void SetUp() override {
        HeadlessGLTest::SetUp();
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
    }
    void TearDown() override {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDeleteBuffers(1, &buffer);
        HeadlessGLTest::TearDown();
    }

    void expectArrays(ZQ::RenderProgram& program, std::size_t stride, const std::vector<ArrayField>& fields) {
        program.setUp();
        SCOPED_TRACE(program.shader->name);
        ASSERT_GE(program.shader->attribute(a_position), 0) << "the position array is never pointed";
        // Each call as "name arguments...", enables and pointers first.
        std::vector<std::string> expected;
        std::vector<std::string> disables;
        for (const ArrayField& f : fields) {
            if (const GLint at = program.shader->attribute(f.name); at >= 0) {
                expected.push_back("glEnableVertexAttribArray " + std::to_string(at));
                expected.push_back("glVertexAttribPointer " + std::to_string(at) + " " +
                                   std::to_string(f.bytes / sizeof(float)) + " " + std::to_string(stride) +
                                   " " + std::to_string(f.offset));
                disables.push_back("glDisableVertexAttribArray " + std::to_string(at));
            }
        }
        expected.insert(expected.end(), disables.begin(), disables.end());
        std::vector<std::string> got;
        {
            GLRecorder gl;
            program.use();
            program.unuse();
            for (const GLRecorder::Call& call : gl.calls()) {
                std::string text = call.name;
                for (const double arg : call.args) {
                    text += " " + std::to_string(static_cast<long long>(arg));
                }
                if (call.name.find("VertexAttrib") != std::string::npos) {
                    got.push_back(text);
                }
            }
        }
        program.tearDown();
        EXPECT_EQ(got, expected);
    }

    GLuint buffer = 0;
};

TEST_F(AttributeArraysTest, EachProgramReadsItsVertexFieldsAndDisablesWhatItEnabled) {
    using ZQ::CordVertex;
    using ZQ::MandalaVertex;
    using ZQ::RoomVertex;
    using ZQ::TangleVertex;
    ZQ::TangleProgram tangle;
    expectArrays(tangle, sizeof(TangleVertex),
                 {{a_position, sizeof(TangleVertex::position), offsetof(TangleVertex, position)},
                  {a_normal, sizeof(TangleVertex::normal), offsetof(TangleVertex, normal)}});
    ZQ::WallPaperProgram wallpaper;
    expectArrays(wallpaper, sizeof(MandalaVertex),
                 {{a_position, sizeof(MandalaVertex::position), offsetof(MandalaVertex, position)},
                  {a_normal, sizeof(MandalaVertex::normal), offsetof(MandalaVertex, normal)},
                  {a_cindex, sizeof(MandalaVertex::value), offsetof(MandalaVertex, value)}});
    // Shadows build these two with a define of their own, which may change
    // the attributes the linker keeps.
    for (const bool shadows : {false, true}) {
        SCOPED_TRACE(shadows ? "with shadows" : "without shadows");
        ZQ::KnotGoochProgram knot(shadows);
        expectArrays(knot, sizeof(CordVertex),
                     {{a_position, sizeof(CordVertex::position), offsetof(CordVertex, position)},
                      {a_normal, sizeof(CordVertex::normal), offsetof(CordVertex, normal)},
                      {a_tex, sizeof(CordVertex::tex), offsetof(CordVertex, tex)},
                      {a_matindex, sizeof(CordVertex::material), offsetof(CordVertex, material)}});
        ZQ::WallPaperRoomProgram room(shadows);
        expectArrays(room, sizeof(RoomVertex),
                     {{a_position, sizeof(RoomVertex::position), offsetof(RoomVertex, position)},
                      {a_tex, sizeof(RoomVertex::tex), offsetof(RoomVertex, tex)}});
    }
}

} // namespace
