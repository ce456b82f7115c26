// The cord seen from the light: the clip position goes on to the fragment
// whole, so its depth is divided there, per fragment.
uniform mat4 u_modelViewProjectionMatrix;

attribute vec3 aShadowPosition;

varying vec4 v_position;

void main() {
    v_position = u_modelViewProjectionMatrix * vec4(aShadowPosition, 1.0);
    gl_Position = v_position;
}
