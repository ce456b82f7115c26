// The gauge ribbon: each ring carries its grade band's material index, which
// the fragment stage turns into a metal, so that the metal changes sharply
// between two rings instead of blending along the ribbon.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_modelViewMatrix;
uniform mat3 u_normalMatrix;

attribute vec3 a_position;
attribute vec3 a_normal;
attribute float a_index;

varying vec4 v_position;
varying vec3 v_normal;
varying float v_index;

void main() {
    v_index = a_index;
    v_position = u_modelViewMatrix * vec4(a_position, 1.0);
    v_normal = u_normalMatrix * a_normal;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
