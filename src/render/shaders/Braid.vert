// Every braid of the moment in one draw; a_matindex picks each one's material.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_MVMatrix;
uniform mat3 u_NMatrix;
uniform vec4 u_lightPos;
uniform vec3 u_eye;

attribute vec3 a_position;
attribute vec3 a_normal;
attribute float a_matindex;

varying vec3 v_normal;
varying vec3 v_light;
varying vec3 v_view;
varying float v_index;

void main() {
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
    vec4 q = u_MVMatrix * vec4(a_position, 1.0);
    v_normal = u_NMatrix * a_normal;
    v_light = u_lightPos.xyz - q.xyz;
    v_view = u_eye - q.xyz;
    v_index = a_matindex;
}
