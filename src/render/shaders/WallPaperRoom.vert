// The room box: clip position from the unit box, the wallpaper coordinates
// scaled per face, and the unit-box position for the fragment's relief.
uniform mat4 u_modelViewProjectionMatrix;
uniform vec2 u_scaleTex;

attribute vec3 a_position;
attribute vec2 a_tex;

varying vec2 v_tex;
varying vec3 v_position;

void main() {
    v_tex = a_tex * u_scaleTex;
    v_position = a_position;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
