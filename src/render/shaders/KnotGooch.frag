// Gooch warm-to-cool shading of the cord, its grain from a normal map, and
// with cord shadows a rotated nine-sample filter over the packed shadow map
// that darkens it down to 0.73. Vectors that can vanish (a zero mesh normal,
// a flat normal-map texel, light and view opposite) are normalised with a
// fallback, and acos only ever sees [-1, 1], so no NaN reaches a pixel.
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif

struct Material {
    vec3 ambient;
    vec3 warm;
    vec3 cool;
    vec3 specular;
    float shininess;
};

uniform Material u_materials[2];
uniform sampler2D u_normalMap;
uniform float u_alpha;

varying vec3 v_normal;
varying vec3 v_L;
varying vec3 v_V;
varying float v_ci;
varying vec2 v_tex;

#ifdef SHADOW_CORD_ON
uniform sampler2D u_shadowMap;
uniform vec2 u_shadowMapStep;
uniform float u_PCFRadius;
uniform vec2 u_biasMinMax;
varying vec4 vShadowCoord;
#endif

const float kKa = 0.5;
const float kKd = 1.0;
const float kKs = 0.3;

vec3 safeNormalize(vec3 v, vec3 fallback) {
    float length2 = dot(v, v);
    return length2 > 1.0e-12 ? v * inversesqrt(length2) : fallback;
}

#ifdef SHADOW_CORD_ON
float unpackDepth(vec4 rgba) {
    return dot(rgba, vec4(1.0 / 16777216.0, 1.0 / 65536.0, 1.0 / 256.0, 1.0));
}

float visibility(vec4 sc, float bias) {
    vec3 p = (sc.xyz / sc.w + 1.0) / 2.0;
    // gl_FragCoord is mediump, and the hash's sum runs to some 10^5, past
    // what half floats hold (drivers that compute mediump in 16 bits give
    // Inf, then NaN, and every sample misses): the sum is taken in highp.
    highp vec3 cell = floor(gl_FragCoord.xyz * 30.0);
    highp float rnd = fract(sin(dot(cell, vec3(53.1215, 21.1352, 9.1322))) * 2105.2354);
    float a = rnd * 6.283285;
    float c = cos(a);
    float s = sin(a);
    vec2 scale = u_shadowMapStep * u_PCFRadius;
    vec2 kernel[9];
    kernel[0] = vec2(0.95581, -0.18159);
    kernel[1] = vec2(0.50147, -0.35807);
    kernel[2] = vec2(0.69607, 0.35559);
    kernel[3] = vec2(-0.0036825, -0.59150);
    kernel[4] = vec2(0.15930, 0.089750);
    kernel[5] = vec2(-0.65031, 0.058189);
    kernel[6] = vec2(0.11915, 0.78449);
    kernel[7] = vec2(-0.34296, 0.51575);
    kernel[8] = vec2(-0.60380, -0.41527);
    float v = 1.0;
    for (int i = 0; i < 9; ++i) {
        vec2 k = kernel[i];
        vec2 offset = vec2(k.x * c + k.y * s, -k.x * s + k.y * c) * scale;
        if (unpackDepth(texture2D(u_shadowMap, p.xy + offset)) < p.z - bias) {
            v -= 0.1;
        }
    }
    return v;
}
#endif

void main() {
    vec3 grain = texture2D(u_normalMap, v_tex).xyz * 2.0 - 1.0;
    // The sum is left unnormalised: the grain tilts the tube's normal and
    // deepens the light where the two agree.
    vec3 n = safeNormalize(v_normal, vec3(0.0, 0.0, 1.0)) + safeNormalize(grain, vec3(0.0, 0.0, 1.0));
    vec3 l = safeNormalize(v_L, vec3(0.0, 0.0, 1.0));
    vec3 h = safeNormalize(v_L + v_V, l);
    Material m = u_materials[0];
    if (int(floor(v_ci + 0.5)) == 1) {
        m = u_materials[1];
    }

    float nDotL = dot(l, n);
    float nDotH = clamp(dot(h, n), 0.0, 1.0);
    // pow(0, y) is undefined for y <= 0: the smallest positive base instead.
    float spec = pow(max(nDotH, 1.0e-6), m.shininess);
    vec3 gooch = mix(m.cool, m.warm, (nDotL + 1.0) * 0.5);
    vec3 colour = kKa * m.ambient + kKd * gooch + m.specular * kKs * spec;

    float factor = 1.0;
#ifdef SHADOW_CORD_ON
    if (vShadowCoord.w > 0.0) {
        // n is not unit length, so nDotL may leave [-1, 1].
        float bias = clamp(-u_biasMinMax.y * tan(acos(clamp(nDotL, -1.0, 1.0))), u_biasMinMax.x, u_biasMinMax.y);
        factor = visibility(vShadowCoord, bias) * 0.3 + 0.7;
    }
#endif
    gl_FragColor = vec4(colour * factor, u_alpha);
}
