#pragma once

#include <GLES2/gl2.h>

#include <cstddef>

// The GL side of a mesh: a vertex buffer and an index buffer, handled as a
// pair by every mesh that keeps its arrays on the CPU and re-specifies them
// whole (the cord tubes, the braids, the award knot). Main thread, with a
// current context.

namespace ZQ {

// Names whichever of the two buffers has none yet, so a mesh set up again
// reuses its names instead of leaking them.
void generateMeshBuffers(GLuint& vertexBuffer, GLuint& indexBuffer);

// Re-specifies both buffers with the given bytes and `usage`; leaves neither
// bound, so a later pass's attribute setup cannot pick up a stale binding.
void uploadMeshBuffers(GLuint vertexBuffer, const void* vertices, size_t vertexBytes, GLuint indexBuffer,
                       const void* indices, size_t indexBytes, GLenum usage);

// Deletes whichever of the two buffers exists and zeroes its name.
void deleteMeshBuffers(GLuint& vertexBuffer, GLuint& indexBuffer);

} // namespace ZQ
