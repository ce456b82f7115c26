// Model meshes in eye space: the sun and the eye as vectors from the vertex,
// for the two-tone shading of the fragment stage.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_modelViewMatrix;
uniform mat3 u_normalMatrix;
uniform vec3 u_sunPosition;

attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec4 a_color;

varying vec3 v_normal;
varying vec3 v_light;
varying vec3 v_view;

void main() {
    vec4 eye = u_modelViewMatrix * vec4(a_position, 1.0);
    v_normal = u_normalMatrix * a_normal;
    v_light = u_sunPosition - eye.xyz;
    v_view = -eye.xyz;
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
}
