// The cord tube in eye space: the normal, the light and view vectors for the
// fragment's shading, the material slot (0 tube, 1 end caps) and, with cord
// shadows, the position as the light sees it.
uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_MVMatrix;
uniform mat3 u_NMatrix;
uniform vec4 u_lightPos;
uniform vec3 u_eye;

attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec2 a_tex;
attribute float a_matindex;

varying vec3 v_normal;
varying vec3 v_L;
varying vec3 v_V;
varying float v_ci;
varying vec2 v_tex;

#ifdef SHADOW_CORD_ON
uniform mat4 u_modelLightViewProjMatrix;
varying vec4 vShadowCoord;
#endif

void main() {
    gl_Position = u_modelViewProjectionMatrix * vec4(a_position, 1.0);
    vec4 e = u_MVMatrix * vec4(a_position, 1.0);
    v_normal = u_NMatrix * a_normal;
    v_L = u_lightPos.xyz - e.xyz;
    v_V = u_eye - e.xyz;
    v_ci = a_matindex;
    v_tex = a_tex;
#ifdef SHADOW_CORD_ON
    // -v_V is the eye-space position (the eye sits at the origin); the light
    // matrix carries the inverse view that takes it back to the world.
    vShadowCoord = u_modelLightViewProjMatrix * vec4(-v_V, 1.0);
#endif
}
