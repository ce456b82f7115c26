// The award tangle under the fixed default camera, lit in eye space.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_MVMatrix;
uniform mat3 u_NMatrix;
uniform vec4 u_lightPos;
uniform vec4 u_cameraPos;

attribute vec4 a_position;
attribute vec4 a_normal;

varying vec3 v_normal;
varying vec3 v_lightVec;
varying vec3 v_viewVec;

void main() {
    gl_Position = u_modelViewProjectionMatrix * a_position;
    vec4 e = u_MVMatrix * a_position;
    v_normal = u_NMatrix * a_normal.xyz;
    v_lightVec = (u_lightPos - e).xyz;
    v_viewVec = u_cameraPos.xyz - e.xyz;
}
