// The wallpaper relief into the room textures: the normal packed into 0..1,
// the pattern value as a quarter step, the relief point in pattern units.
uniform mat4 u_modelViewProjectionMatrix;

attribute vec3 a_position;
attribute vec3 a_normal;
attribute float a_cindex;

varying vec3 v_normal;
varying float v_cindex;
varying vec3 v_position;

void main() {
    v_normal = a_normal * 0.5 + 0.5;
    v_cindex = a_cindex / 4.0;
    v_position = a_position;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
