// A hologram's string: a soft wrap-around light in its blue, the scan band
// added on top, more transparent toward the back of the knot.
#extension GL_OES_standard_derivatives : enable
#if defined GL_FRAGMENT_PRECISION_HIGH
  precision highp float;
#define highpfloat float
#define highpvec2 vec2
#define highpvec3 vec3
#define highpvec4 vec4
#define highpsampler2D sampler2D
#else
  precision mediump float;
#define highpfloat float
#define highpvec2 vec2
#define highpvec3 vec3
#define highpvec4 vec4
#define highpsampler2D sampler2D
#endif
precision highp float;

uniform vec3 u_color;
uniform vec3 u_scancolor;
uniform float u_alpha;

varying vec3 v_L;
varying vec3 v_normal;
varying float v_scanner_value;
varying float v_depth;

// A zero vector (a degenerate normal, the light at the vertex) keeps its
// fallback instead of turning into NaN.
vec3 safeNormalize(vec3 v, vec3 fallback) {
    float length2 = dot(v, v);
    return length2 > 1.0e-12 ? v * inversesqrt(length2) : fallback;
}

void main() {
    vec3 n = safeNormalize(v_normal, vec3(0.0, 0.0, 1.0));
    vec3 L = safeNormalize(v_L, n);
    vec3 lit = u_color * (0.75 + 0.5 * dot(L, n));
    vec3 colour = lit + v_scanner_value * u_scancolor;
    gl_FragColor = vec4(colour, v_depth * u_alpha);
}
