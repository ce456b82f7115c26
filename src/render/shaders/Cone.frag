// Gooch shading with a Blinn highlight in the string's material; the vertex
// alpha (bright at the tip, clear at the rim) times the string's tangle and
// the cord's fade.
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

struct Material {
    vec3 ambient;
    vec3 warm;
    vec3 cool;
    vec3 specular;
    float shininess;
};
uniform Material u_materials;
uniform float u_alpha;

varying vec3 v_L;
varying vec3 v_V;
varying vec3 v_normal;
varying float v_alpha;

const float Ka = 0.5;
const float Kd = 1.0;
const float Ks = 0.3;

void main() {
    vec3 n = normalize(v_normal);
    vec3 L = normalize(v_L);
    vec3 h = normalize(v_L + v_V);
    float NdotL = dot(L, n);
    float NdotH = clamp(dot(h, n), 0.0, 1.0);
    float s = pow(NdotH, u_materials.shininess);
    float blend = (NdotL + 1.0) * 0.5;
    vec3 gooch = mix(u_materials.cool, u_materials.warm, blend);
    vec3 colour = Ka * u_materials.ambient + Kd * gooch + Ks * u_materials.specular * s;
    gl_FragColor = vec4(colour, v_alpha * u_alpha);
}
