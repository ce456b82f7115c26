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

        std::vector<GLRecorder::Call> expected;
        for (const ArrayField& f : fields) {
            const GLint location = program.shader->attribute(f.name);
            if (location >= 0) {
                expected.push_back({"glEnableVertexAttribArray", {static_cast<double>(location)}});
                expected.push_back(
                    {"glVertexAttribPointer",
                     {static_cast<double>(location), static_cast<double>(f.bytes / sizeof(float)),
                      static_cast<double>(stride), static_cast<double>(f.offset)}});
            }
        }
        for (const ArrayField& f : fields) {
            const GLint location = program.shader->attribute(f.name);
            if (location >= 0) {
                expected.push_back({"glDisableVertexAttribArray", {static_cast<double>(location)}});
            }
        }

        std::vector<GLRecorder::Call> got;
        {
            GLRecorder gl;
            program.use();
            program.unuse();
            for (const GLRecorder::Call& call : gl.calls()) {
                if (call.name.find("VertexAttrib") != std::string::npos) {
                    got.push_back(call);
                }
            }
        }
        program.tearDown();

        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].name, expected[i].name) << "call " << i;
            EXPECT_EQ(got[i].args, expected[i].args) << "call " << i << ", " << got[i].name;
        }
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
