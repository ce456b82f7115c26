// Debugging lines in world coordinates.
uniform mat4 u_modelViewProjectionMatrix;

attribute vec3 a_position;

void main() {
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
