// A tile's slab: the fragment stage lights it in eye space itself, so the
// vertex stage only places it and hands the raw attributes on.
uniform mat4 u_modelViewProjectionMatrix;

attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec2 a_tex;

varying vec3 v_position;
varying vec3 v_normal;
varying vec2 v_tex;

void main() {
    v_position = a_position;
    v_normal = a_normal;
    v_tex = a_tex;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
