// Caption and letter quads: pixel coordinates straight onto the screen.
uniform mat4 u_modelViewProjectionMatrix;
attribute vec4 a_position;
attribute vec2 a_tex;
varying vec2 v_tex;

void main() {
    v_tex = a_tex;
    gl_Position = u_modelViewProjectionMatrix * a_position;
}
