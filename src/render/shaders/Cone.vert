// A light cone, lit in eye space; its opacity starts with each vertex's own.
precision highp float;

uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_MVMatrix;
uniform mat3 u_NMatrix;
uniform vec4 u_lightPos;
uniform vec3 u_eye;

attribute vec3 a_position;
attribute vec3 a_normal;
attribute float a_alpha;

varying vec3 v_L;
varying vec3 v_V;
varying vec3 v_normal;
varying float v_alpha;

void main() {
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
    vec4 vert = u_MVMatrix * vec4(a_position, 1.0);
    v_normal = u_NMatrix * a_normal;
    v_L = u_lightPos.xyz - vert.xyz;
    v_V = u_eye - vert.xyz;
    v_alpha = a_alpha;
}
